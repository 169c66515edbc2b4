// The files of a run in the page. The input is the file the user gave, read in slices through
// the host (the page's worker, or Node in the tests) whenever the run asks, never copied whole
// into memory; the sorted output goes to the host buffer by buffer as it is written, and becomes
// a file there only when committed; the truncation log, small, stays here until the run ends.
#pragma once

#include <map>
#include <string>

#include "file_system.h"

namespace brelin {

class PageFileSystem : public FileSystem {
public:
    // The host's input, under the name the run knows it by.
    explicit PageFileSystem(std::string inputName);

    std::unique_ptr<ByteSource> openInput(const std::string& path) override;
    std::unique_ptr<OutputFile> createOutput(const std::string& path) override;
    void appendToFile(const std::string& path, std::string_view bytes, bool create) override;
    void removeFile(const std::string& path) override;
    std::unique_ptr<FileLock> tryLock(const std::string& path) override;

    // The bytes of a file kept here (the log), or nullptr when there is none.
    const std::string* kept(const std::string& path) const;

private:
    std::string inputName_;
    std::map<std::string, std::string> kept_;
    LockTable locks_;
};

}  // namespace brelin
