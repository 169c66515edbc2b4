// brelin-bench-floor: the least work the staging design does on a file, timed beside brelin-cli
// to show what share of its time the design itself costs.
//
//   brelin-bench-floor INPUT OUTPUT
//
// Reads INPUT, splits it into lines (CR LF, LF or a lone CR end one; empty lines are dropped) and
// records (a record starts at a line beginning with "0 "), joins each record's lines with CR LF
// and inserts it as one row, rowids in file order, into one temporary table of a fresh database
// with the staging database's pragmas, in one transaction. Then reads the table back in rowid
// order and writes each record and a CR LF to a temporary file beside OUTPUT through a 1 MiB
// buffer, syncs it and renames it over OUTPUT. Nothing is ordered, cut or logged: the output is
// the input's non-empty lines in their order, each ended with CR LF.
//
// The database is OUTPUT.floor.db, removed before and after; as for brelin-cli, SQLite writes the
// temporary table's pages to a file in SQLITE_TMPDIR.
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr size_t kBufferSize = 1 << 20;
constexpr std::string_view kCrLf = "\r\n";

[[noreturn]] void failSystem(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

struct DatabaseCloser {
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};

// One temporary table of records in a fresh database file, filled in one transaction.
class RecordTable {
public:
    explicit RecordTable(std::string path) : path_(std::move(path)) {
        std::remove(path_.c_str());
        sqlite3* db = nullptr;
        const int code = sqlite3_open_v2(
            path_.c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
            nullptr);
        db_.reset(db);
        if (code != SQLITE_OK) fail();
        exec("PRAGMA journal_mode=OFF");
        exec("PRAGMA temp_store=FILE");
        exec("PRAGMA page_size=65536");
        exec("PRAGMA temp.page_size=16384");
        exec("PRAGMA temp.cache_size=-8192");
        exec("CREATE TEMPORARY TABLE INDITRI (GedIndex INTEGER, GedBloc BLOB)");
        exec("BEGIN");
        insert_ = prepare("INSERT INTO INDITRI (rowid, GedIndex, GedBloc) VALUES (?1, ?2, ?3)");
    }
    ~RecordTable() {
        insert_.reset();
        db_.reset();
        std::remove(path_.c_str());
    }
    RecordTable(const RecordTable&) = delete;
    RecordTable& operator=(const RecordTable&) = delete;

    void insert(std::string_view record) {
        sqlite3_stmt* statement = insert_.get();
        ++rows_;
        check(sqlite3_bind_int64(statement, 1, rows_));
        check(sqlite3_bind_int64(statement, 2, rows_));
        check(sqlite3_bind_blob64(statement, 3, record.data(), record.size(), SQLITE_STATIC));
        const int code = sqlite3_step(statement);
        sqlite3_reset(statement);
        if (code != SQLITE_DONE) fail();
    }

    void commit() { exec("COMMIT"); }

    // Calls write with each record, in rowid order.
    template <typename Write>
    void readBack(Write write) {
        auto select = prepare("SELECT GedBloc FROM INDITRI ORDER BY rowid");
        int code;
        while ((code = sqlite3_step(select.get())) == SQLITE_ROW) {
            const void* data = sqlite3_column_blob(select.get(), 0);
            const int size = sqlite3_column_bytes(select.get(), 0);
            write(std::string_view(static_cast<const char*>(data), static_cast<size_t>(size)));
        }
        if (code != SQLITE_DONE) fail();
    }

private:
    using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

    [[noreturn]] void fail() const {
        throw std::runtime_error(path_ + ": " +
                                 (db_ ? sqlite3_errmsg(db_.get()) : "cannot open the database"));
    }
    void check(int code) const {
        if (code != SQLITE_OK) fail();
    }
    void exec(const char* sql) { check(sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr)); }
    Statement prepare(const char* sql) {
        sqlite3_stmt* statement = nullptr;
        const int code = sqlite3_prepare_v2(db_.get(), sql, -1, &statement, nullptr);
        Statement handle(statement);
        check(code);
        return handle;
    }

    std::string path_;
    std::unique_ptr<sqlite3, DatabaseCloser> db_;
    Statement insert_;
    int64_t rows_ = 0;
};

// Gathers lines into records and hands each whole record to the table.
class RecordJoiner {
public:
    explicit RecordJoiner(RecordTable& table) : table_(table) {}

    void line(std::string_view text) {
        if (text.empty()) return;
        if (text.substr(0, 2) == "0 ") {
            finish();
            record_.assign(text);
        } else {
            if (!record_.empty()) record_.append(kCrLf);
            record_.append(text);
        }
    }
    void finish() {
        if (!record_.empty()) table_.insert(record_);
        record_.clear();
    }

private:
    RecordTable& table_;
    std::string record_;
};

// Reads the file at path with read(2) in large buffers and calls line with each line, without
// its end. A line that spans two buffers is gathered in a string of its own.
template <typename Line>
void splitLines(const std::string& path, Line line) {
    FileDescriptor input(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (input.get() < 0) failSystem(path);
    std::vector<char> buffer(kBufferSize);
    std::string carry;
    bool afterCr = false;
    for (;;) {
        const ssize_t got = ::read(input.get(), buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) failSystem(path);
        if (got == 0) break;
        const char* p = buffer.data();
        const char* const end = p + got;
        // The next CR and LF at or after p, each searched again only once passed.
        const char* cr = nullptr;
        const char* lf = nullptr;
        const auto next = [&](const char*& found, char c) {
            if (found == nullptr || found < p) {
                const void* at = std::memchr(p, c, static_cast<size_t>(end - p));
                found = at != nullptr ? static_cast<const char*>(at) : end;
            }
            return found;
        };
        while (p < end) {
            if (afterCr) {
                afterCr = false;
                if (*p == '\n') {
                    ++p;
                    continue;
                }
            }
            const char* const stop = std::min(next(cr, '\r'), next(lf, '\n'));
            if (stop == end) {
                carry.append(p, end);
                break;
            }
            if (carry.empty()) {
                line(std::string_view(p, static_cast<size_t>(stop - p)));
            } else {
                carry.append(p, stop);
                line(std::string_view(carry));
                carry.clear();
            }
            afterCr = *stop == '\r';
            p = stop + 1;
        }
    }
    if (!carry.empty()) line(std::string_view(carry));
}

// A temporary file beside the output, renamed over it once written and synced.
class OutputFile {
public:
    explicit OutputFile(std::string path)
        : path_(std::move(path)),
          temporaryPath_(path_ + ".floor-XXXXXX"),
          fd_(::mkostemp(temporaryPath_.data(), O_CLOEXEC)) {
        if (fd_ < 0) failSystem(temporaryPath_);
        buffer_.reserve(kBufferSize);
    }
    ~OutputFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!committed_) ::unlink(temporaryPath_.c_str());
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(std::string_view bytes) {
        if (buffer_.size() + bytes.size() > kBufferSize) flush();
        if (bytes.size() >= kBufferSize)
            writeAll(bytes);
        else
            buffer_.append(bytes);
    }

    void commit() {
        flush();
        if (::fdatasync(fd_) != 0) failSystem(temporaryPath_);
        if (::close(std::exchange(fd_, -1)) != 0) failSystem(temporaryPath_);
        if (::rename(temporaryPath_.c_str(), path_.c_str()) != 0) failSystem(path_);
        committed_ = true;
    }

private:
    void flush() {
        writeAll(buffer_);
        buffer_.clear();
    }
    void writeAll(std::string_view bytes) {
        while (!bytes.empty()) {
            const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
            if (written < 0 && errno == EINTR) continue;
            if (written < 0) failSystem(temporaryPath_);
            bytes.remove_prefix(static_cast<size_t>(written));
        }
    }

    std::string path_;
    std::string temporaryPath_;
    int fd_;
    std::string buffer_;
    bool committed_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: brelin-bench-floor INPUT OUTPUT\n");
        return 2;
    }
    const std::string input = argv[1];
    const std::string output = argv[2];
    try {
        RecordTable table(output + ".floor.db");
        RecordJoiner joiner(table);
        splitLines(input, [&](std::string_view line) { joiner.line(line); });
        joiner.finish();
        table.commit();

        OutputFile file(output);
        table.readBack([&](std::string_view record) {
            file.write(record);
            file.write(kCrLf);
        });
        file.commit();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "brelin-bench-floor: %s\n", error.what());
        return 1;
    }
    return 0;
}
