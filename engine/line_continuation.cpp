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

LineContinuer::LineContinuer(ContinuationPlan plan, bool utf8,
                             std::function<void(std::string_view)> emit)
    : plan_(std::move(plan)), utf8_(utf8), emit_(std::move(emit)) {}

size_t LineContinuer::capacity() const {
    return first_ ? kLineLimit : kLineLimit - plan_.concPrefix.size();
}

void LineContinuer::add(std::string_view bytes) {
    pending_.append(bytes);
    // A part is settled once the byte after its longest possible end is known.
    while (pending_.size() > capacity()) {
        const size_t minimum = first_ ? plan_.valueStart + 1 : 1;
        emitPart(splitPoint(capacity(), minimum));
    }
}

void LineContinuer::finish() {
    if (!pending_.empty() || first_) emitPart(pending_.size());
}

size_t LineContinuer::splitPoint(size_t capacity, size_t minimum) const {
    // pending_ holds more than capacity bytes, so pending_[k] exists for every k <= capacity.
    const auto whole = [&](size_t k) { return gedcom::isCharacterBoundary(pending_, k, utf8_); };
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

}  // namespace brelin
