#include "line_continuation.h"

#include "gedcom_line.h"

namespace brelin {

using gedcom::isBlank;
using gedcom::kLineLimit;

namespace {

// A level has at most two digits.
constexpr size_t kMaxLevelDigits = 2;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::optional<ContinuationPlan> planContinuation(std::string_view head) {
    // Blanks before the level are kept in the first part, as they are.
    size_t i = 0;
    while (i < head.size() && isBlank(head[i])) ++i;
    const size_t levelStart = i;
    while (i < head.size() && isDigit(head[i])) ++i;
    if (i == levelStart || i - levelStart > kMaxLevelDigits || i >= head.size() || head[i] != ' ')
        return std::nullopt;
    const int level = std::stoi(std::string(head.substr(levelStart, i - levelStart)));
    ++i;
    if (i < head.size() && head[i] == '@') {  // the xref, up to its closing "@" and a blank
        const size_t close = head.find('@', i + 1);
        if (close == std::string_view::npos || close + 1 >= head.size() || head[close + 1] != ' ')
            return std::nullopt;
        i = close + 2;
    }
    const size_t tagStart = i;
    while (i < head.size() && head[i] != ' ') ++i;
    if (i == tagStart || i >= head.size()) return std::nullopt;  // no tag, or no value
    const std::string_view tag = head.substr(tagStart, i - tagStart);
    const size_t valueStart = i + 1;
    if (valueStart >= kLineLimit) return std::nullopt;
    const bool continuation = tag == "CONC" || tag == "CONT";
    ContinuationPlan plan;
    plan.valueStart = valueStart;
    plan.concPrefix = std::to_string(continuation ? level : level + 1) + " CONC ";
    return plan;
}

LineContinuer::LineContinuer(ContinuationPlan plan, gedcom::LineRule rule,
                             std::function<void(std::string_view)> emit)
    : plan_(std::move(plan)), rule_(rule), emit_(std::move(emit)) {}

size_t LineContinuer::capacity() const {
    return first_ ? kLineLimit : kLineLimit - plan_.concPrefix.size();
}

void LineContinuer::add(std::string_view bytes) {
    pending_.append(bytes);
    // A part is settled once the bytes after its longest possible end are known, as far as the
    // end of a character that a split there would cut.
    while (pending_.size() > capacity() + kLookAhead) settlePart();
}

void LineContinuer::finish() {
    while (pending_.size() > capacity()) settlePart();
    if (!pending_.empty() || first_) emitPart(pending_.size());
}

void LineContinuer::settlePart() {
    const size_t minimum = first_ ? plan_.valueStart + 1 : 1;
    emitPart(splitPoint(capacity(), minimum));
}

size_t LineContinuer::splitPoint(size_t capacity, size_t minimum) const {
    // pending_ holds more than capacity bytes, so pending_[k] exists for every k <= capacity.
    const auto whole = [&](size_t k) { return gedcom::isCharacterBoundary(pending_, k, rule_); };
    for (size_t k = capacity; k >= minimum; --k) {
        if (whole(k) && !isBlank(pending_[k - 1]) && !isBlank(pending_[k])) return k;
    }
    for (size_t k = capacity; k >= minimum; --k) {
        if (whole(k)) return k;
    }
    return capacity;  // not UTF-8 after all: a plain split
}

void LineContinuer::emitPart(size_t length) {
    const std::string_view part(pending_.data(), length);
    if (first_) {
        emit_(part);
        first_ = false;
    } else {
        part_.assign(plan_.concPrefix).append(part);
        emit_(part_);
    }
    pending_.erase(0, length);
}

bool mendSplitCharacter(std::string& line, std::string& concLine, gedcom::SplitCharacter split) {
    const std::optional<size_t> lineValue = gedcom::valueStart(line);
    const std::optional<size_t> concValue = gedcom::valueStart(concLine);
    if (!lineValue || !concValue) return false;
    struct Move {
        bool forward;  // the character's last bytes go back to the line; else its first ones on
        size_t bytes;
    };
    const Move moves[2] = {{true, split.after}, {false, split.before}};
    const auto fits = [&](const Move& move) {
        return move.forward ? line.size() + move.bytes <= kLineLimit &&
                                  concLine.size() - move.bytes > *concValue
                            : concLine.size() + move.bytes <= kLineLimit &&
                                  line.size() - move.bytes > *lineValue;
    };
    // The bytes on either side of the new split.
    const auto blankBeside = [&](const Move& move) {
        return move.forward ? isBlank(concLine[*concValue + move.bytes])
                            : isBlank(line[line.size() - move.bytes - 1]);
    };
    const size_t nearest = split.after <= split.before ? 0 : 1;
    const Move order[2] = {moves[nearest], moves[1 - nearest]};
    const Move* chosen = nullptr;
    for (const Move& move : order) {
        if (!chosen && fits(move) && !blankBeside(move)) chosen = &move;
    }
    for (const Move& move : order) {
        if (!chosen && fits(move)) chosen = &move;
    }
    if (!chosen) return false;
    if (chosen->forward) {
        line.append(concLine, *concValue, chosen->bytes);
        concLine.erase(*concValue, chosen->bytes);
    } else {
        concLine.insert(*concValue, line, line.size() - chosen->bytes, chosen->bytes);
        line.resize(line.size() - chosen->bytes);
    }
    return true;
}

}  // namespace brelin
