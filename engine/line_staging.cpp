// Implementation details: a line that ends with the first bytes of a UTF-8 character (rare: an
// exporter that split a character between a line and its CONC line) is held back, copied, until
// the next non-empty line; every other line goes straight through. Long lines are read again by
// position from the input, in pieces, whether continued or kept whole.
#include "line_staging.h"

#include <algorithm>
#include <cstring>

#include "line_continuation.h"

namespace brelin {

using gedcom::kLineLimit;
using gedcom::LineRule;
using Verdict = gedcom::TrailerGate::Verdict;

namespace {

// Gives f the whole of line, which is longer than the reader keeps, in pieces. The input is read
// again where the line starts; a line end met there (the file changed under the run) ends the
// line.
// Where the first CR or LF of bytes is, or npos: two searches that the C library makes over many
// bytes at once, where find_first_of would look at the bytes one by one.
size_t lineEndIn(std::string_view bytes) {
    const void* cr = std::memchr(bytes.data(), '\r', bytes.size());
    const size_t beforeCr =
        cr ? static_cast<size_t>(static_cast<const char*>(cr) - bytes.data()) : bytes.size();
    if (const void* lf = std::memchr(bytes.data(), '\n', beforeCr))
        return static_cast<size_t>(static_cast<const char*>(lf) - bytes.data());
    return cr ? beforeCr : std::string_view::npos;
}

template <typename F>
void forEachPiece(ByteSource& source, const Line& line, F f) {
    char buffer[64 * 1024];
    uint64_t offset = line.offset;
    uint64_t left = line.length;
    while (left > 0) {
        const size_t got = source.readAt(
            offset, buffer, static_cast<size_t>(std::min<uint64_t>(left, sizeof buffer)));
        if (got == 0) return;
        const std::string_view bytes(buffer, got);
        const size_t end = lineEndIn(bytes);
        f(bytes.substr(0, end));
        if (end != std::string_view::npos) return;
        offset += got;
        left -= got;
    }
}

// What line is longer than: its characters are counted as a reader sees them (UTF-8 where its
// bytes are), from the input again where the reader kept only its head.
Overlong overlongBy(ByteSource& source, const Line& line) {
    // A character takes four bytes at most: so many bytes hold more than 255 characters.
    if (line.length >= 4 * (kLineLimit + 1)) return Overlong::Characters;
    std::string whole;
    if (line.length > line.head.size()) {
        forEachPiece(source, line, [&whole](std::string_view piece) { whole.append(piece); });
    }
    const std::string_view bytes = line.length > line.head.size() ? whole : line.head;
    return gedcom::characterCount(bytes) > kLineLimit ? Overlong::Characters : Overlong::BytesOnly;
}

}  // namespace

LineStaging::LineStaging(ByteSource& source, BlockStager& stager, TruncationLog& log,
                         SelfCheck& check, XrefFindings& xrefs, ReportGatherer& report,
                         Settings settings, std::string inputPath)
    : source_(source),
      stager_(stager),
      log_(log),
      check_(check),
      xrefs_(xrefs),
      report_(report),
      settings_(settings),
      inputPath_(std::move(inputPath)) {}

int64_t LineStaging::linesRead(int64_t lastLine) const {
    return gate_.pastTrailer() ? lastTaken_ : lastLine;
}

void LineStaging::take(const Line& line, int64_t lineNumber) {
    if (line.empty()) {
        report_.emptyLine();
        return;
    }
    switch (gate_.pass(line.head)) {
        case Verdict::SecondHeader:
            throw RunError::atLine(FailedStep::SecondHeader, inputPath_, lineNumber);
        case Verdict::LeaveOut:
            releaseHeld(nullptr, 0);
            report_.afterTrailer(lineNumber);
            return;
        case Verdict::Take:
            break;
    }
    if (!contentSeen_) contentSeen_ = gedcom::startsContent(line.head, inputPath_);
    lastTaken_ = lineNumber;
    if (line.length > kLineLimit) {
        releaseHeld(nullptr, 0);
        stage(line, lineNumber);
    } else if (held_ || settings_.splits) {
        releaseHeld(&line, lineNumber);
    } else {
        stageText(line.head, lineNumber, true);
    }
}

void LineStaging::finish() {
    releaseHeld(nullptr, 0);
}

void LineStaging::releaseHeld(const Line* next, int64_t nextNumber) {
    std::string_view text = next ? next->head : std::string_view();
    std::string mended;
    SplitBytes nextSplit;
    if (held_) {
        SplitBytes heldSplit{held_->splitAtValueStart, 0};
        const auto split = next ? gedcom::splitCharacter(held_->text, text) : std::nullopt;
        if (split) {
            mended.assign(text);
            const bool repaired = settings_.conc && settings_.rule != LineRule::Whole &&
                                  mendSplitCharacter(held_->text, mended, *split);
            report_.splitCharacter(nextNumber, repaired);
            text = mended;
            if (!repaired) {
                heldSplit.atEnd = split->before;
                nextSplit.atValueStart = split->after;
            }
        }
        stageText(held_->text, held_->lineNumber, true, heldSplit);
        held_.reset();
    }
    if (!next) return;
    // A line that ends inside a character waits for the next: a CONC line may complete it.
    if (settings_.splits && gedcom::endsInsideCharacter(text) &&
        gedcom::classifyLine(text) != LineKind::Trailer) {
        held_ = Held{std::string(text), nextNumber, nextSplit.atValueStart};
        return;
    }
    stageText(text, nextNumber, true, nextSplit);
}

LineKind LineStaging::stageText(std::string_view text, int64_t lineNumber, bool whole,
                                SplitBytes split) {
    const LineKind kind = stager_.accept(text);
    check_.staged(text);
    if (gedcom::isLevelZero(text)) {
        levelZero(kind, text, lineNumber);
    } else if (whole && gedcom::mayHoldPointer(text)) [[unlikely]] {
        xrefs_.pointerLine(text);
    }
    report_.line(kind, text, lineNumber, split);
    if (kind != LineKind::Trailer) stagedBytes_ += text.size() + gedcom::kLineEnd.size();
    return kind;
}

void LineStaging::stage(const Line& line, int64_t lineNumber) {
    // The trailer is cut, never continued nor kept whole: nothing may follow it, and it is held
    // in memory until it is written.
    const bool trailer = gedcom::classifyLine(line.head) == LineKind::Trailer;
    if (settings_.rule == LineRule::Whole && !trailer) {
        stageWhole(line, lineNumber);
        return;
    }
    if (settings_.conc && settings_.rule != LineRule::Whole && !trailer) {
        if (const auto plan = planContinuation(line.head)) {
            log_.reportContinued(lineNumber, overlongBy(source_, line));
            int64_t parts = 0;
            LineContinuer continuer(*plan, settings_.rule, [&](std::string_view part) {
                stageText(part, lineNumber, false);
                ++parts;
            });
            forEachPiece(source_, line, [&](std::string_view piece) { continuer.add(piece); });
            continuer.finish();
            report_.lineContinued(lineNumber, parts);
            return;
        }
    }
    log_.reportCut(lineNumber, overlongBy(source_, line));
    // A version 7 file is UTF-8.
    const LineRule rule = settings_.rule == LineRule::Whole ? LineRule::Utf8 : settings_.rule;
    stageText(line.head.substr(0, gedcom::cutLength(line.head, line.length, rule)), lineNumber,
              false);
    report_.lineCut(lineNumber);
}

void LineStaging::stageWhole(const Line& line, int64_t lineNumber) {
    const LineKind kind = stager_.acceptStart(line.head);
    if (gedcom::isLevelZero(line.head)) levelZero(kind, line.head, lineNumber);
    report_.lineStart(kind, lineNumber);
    uint64_t length = 0;
    forEachPiece(source_, line, [&](std::string_view piece) {
        stager_.acceptMore(piece);
        check_.stagedPiece(piece);
        report_.linePiece(piece);
        length += piece.size();
    });
    check_.stagedLineEnd();
    report_.lineEnd();
    stagedBytes_ += length + gedcom::kLineEnd.size();
}

void LineStaging::levelZero(LineKind kind, std::string_view text, int64_t lineNumber) {
    const gedcom::LevelZero parts = gedcom::parseLevelZero(text);
    // The stager has just begun the record, and numbered it.
    const bool record = kind != LineKind::Ordinary && kind != LineKind::Trailer;
    static constexpr RecordNumber kNone{};
    const RecordNumber& number = record ? stager_.recordNumber() : kNone;
    if (kind != LineKind::Trailer) {
        xrefs_.levelZero(kind, parts.xref, number.isWhole());
        survey_.levelZero(kind, parts);
    }
    report_.levelZero(kind, parts, number, lineNumber, record && settings_.rules.placedByTag(text));
}

}  // namespace brelin
