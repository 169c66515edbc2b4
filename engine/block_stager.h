// Gathers the lines of a GEDCOM file into record blocks and stages every finished block in its
// kind's table under its record number: the header part (everything before the first record)
// in INDITRI under 0, individuals in INDITRI, families in FAMTRI, sources in SOURTRI, notes in
// NOTETRI. A block is staged when the next record begins, or at finish(); it is written line by
// line straight into the database's batch (StagingDatabase::beginBlock), never copied whole.
//
// A record begins at a record line, as the run's RecordRules place and number it
// (record_rules.h). Every other line, other level-0 records included (submitter, repository,
// media…), joins the block in progress. The trailer ("0 TRLR…") is not staged: the run writes it
// last, as the first trailer line it took.
//
// A line longer than a block part (a version 7 line kept whole) is staged in pieces across
// parts: a part that ends inside a line ends with kLineGoesOn, and the write-out writes the next
// part right after it, with no line end between.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "gedcom_line.h"
#include "record_rules.h"
#include "staging_database.h"

namespace brelin {

using gedcom::LineKind;

// The table a record line's block goes to; nullopt for the other kinds.
std::optional<Table> tableOf(LineKind kind);

class BlockStager {
public:
    // A block grows up to this size before it is staged in parts; parts of one record share its
    // number and so come back together and in order. The write-out's merge of the store's sorted
    // runs holds one row of each run at a time: a record of hundreds of megabytes, in as many
    // runs, costs as many parts of memory.
    static constexpr size_t kBlockPartSize = 64 << 10;
    // The last byte of a part that ends inside a line: no line holds an LF, so no other part
    // ends so.
    static constexpr char kLineGoesOn = '\n';

    // database must outlive the stager, which places records by rules.
    explicit BlockStager(StagingDatabase& database, RecordRules rules = {});

    // Back to the start of a run: header part, nothing seen.
    void reset();
    // Takes one non-empty line, already cut to its final length. Returns the line's kind.
    LineKind accept(std::string_view line);
    // Takes a line given in pieces (any line but a trailer): its head, which gives its kind, then
    // every byte of it from its start, in pieces of any size. Memory stays bounded whatever its
    // length. Returns the line's kind.
    LineKind acceptStart(std::string_view head);
    void acceptMore(std::string_view bytes);
    // Stages the block in progress, if any.
    void finish();

    // The number of the record the last record line accepted began, viewing the stager's copy.
    const RecordNumber& recordNumber() const { return pendingNumber_; }
    bool sourcesSeen() const { return sourcesSeen_; }
    bool trailerSeen() const { return trailerSeen_; }
    // The first trailer line accepted.
    const std::string& trailer() const { return trailer_; }

private:
    void openBlock();
    void stagePending();
    // Stages the block in progress and opens the record whose line's head is given.
    void startRecord(Table table, std::string_view head);
    // Makes room for the next line of the block in progress: a line end after the last, or a
    // new part. Inline: every line passes here.
    void openLine(size_t lineSize) {
        if (!open_) {
            openBlock();
        } else if (database_.blockSize() + lineSize + gedcom::kLineEnd.size() > kBlockPartSize) {
            stagePending();
            openBlock();
        } else {
            database_.appendToBlock(gedcom::kLineEnd);
        }
    }

    StagingDatabase& database_;
    RecordRules rules_;
    Table pending_ = Table::Individuals;
    RecordNumber pendingNumber_ = 0;
    // The digits of a long pending number: it is staged again with each part of its record.
    std::string pendingDigits_;
    // A block is open in the database: its lines go straight into the database's batch.
    bool open_ = false;
    bool sourcesSeen_ = false;
    bool trailerSeen_ = false;
    std::string trailer_;
};

}  // namespace brelin
