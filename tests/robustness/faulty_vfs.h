// An SQLite VFS that stands in for the default one while it lives: every call goes to the real
// default VFS, and the Nth write or the Nth read of any of the database's files (main file,
// temporary tables, sort files) can be made to fail as a disk would.
#pragma once

#include <optional>

namespace brelin::testing {

class FaultyVfs {
public:
    // Registers the VFS as the default; databases opened from now on go through it.
    FaultyVfs();
    // Puts the real VFS back as the default.
    ~FaultyVfs();
    FaultyVfs(const FaultyVfs&) = delete;
    FaultyVfs& operator=(const FaultyVfs&) = delete;

    // Starts counting writes and reads from zero; the Nth one (1-based) fails, and every later
    // one too when sticky (a disk that stays full or broken). One kind of fault at a time.
    void failWriteAt(std::optional<int> n, bool sticky = false);
    void failReadAt(std::optional<int> n, bool sticky = false);
    void countOnly() {
        failWriteAt(std::nullopt);
        failReadAt(std::nullopt);
    }

    int writes() const;
    int reads() const;
    int failures() const;
};

}  // namespace brelin::testing
