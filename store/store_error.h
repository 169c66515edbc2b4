// The one exception the store throws: SQLite's result code with SQLite's own English text, or,
// where the system refused (an old database file that cannot be removed), its error number. The
// engine tells the user what either means.
#pragma once

#include <stdexcept>
#include <string>

namespace brelin {

// what() is SQLite's text (sqlite3_errmsg, sqlite3_errstr), in English: the program words the
// fault for its user.
class StoreError : public std::runtime_error {
public:
    // code: SQLite's result code (extended codes allowed); systemError: the system's error
    // number, where the system refused.
    StoreError(int code, const std::string& message, int systemError = 0);
    int code() const { return code_; }
    int systemError() const { return systemError_; }

private:
    int code_;
    int systemError_;
};

}  // namespace brelin
