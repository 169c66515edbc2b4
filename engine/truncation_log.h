// The truncation log: the numbers of the input lines a run has cut to 255 bytes, under a banner,
// in a text file beside the program. The file belongs to one run: reset() deletes the previous
// run's file, and the file is created again only at the run's first cut. The file is then held
// open until the next reset or the log's end, but each report is complete in the file (one
// write, after the banner's) before reportCut returns: nothing is buffered between reports.
//
// Format (Windows-1252 bytes, every line ending in CR LF):
//   "   ###############################################"
//   "   #  Ligne(s) du GEDCOM comportant des erreurs  #"
//   "   ###############################################"
//   "La ligne N comporte plus de 255 caractères et a été tronquée."   (one per cut line)
//   "La ligne N comporte plus de 255 caractères et a été continuée sur des lignes CONC."
//                                                         (one per line continued, in CONC mode)
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "file_system.h"

namespace brelin {

class TruncationLog {
public:
    // files must outlive the log.
    TruncationLog(FileSystem& files, std::string logPath);

    void reset();
    void reportCut(int64_t lineNumber);
    // A line continued on CONC lines instead of being cut.
    void reportContinued(int64_t lineNumber);

    const std::string& path() const { return path_; }
    // Lines reported since the last reset.
    int64_t cutCount() const { return cutCount_; }
    int64_t continuedCount() const { return continuedCount_; }

private:
    void report(const std::string& message);
    void beginAgain(const std::string& message);

    FileSystem& files_;
    std::unique_ptr<AppendFile> file_;
    std::string path_;
    bool firstCut_ = true;
    int64_t cutCount_ = 0;
    int64_t continuedCount_ = 0;
};

}  // namespace brelin
