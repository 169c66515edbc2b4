#include "gedcom_file.h"

#include <algorithm>

namespace brelin::gedcom {

namespace {

constexpr std::string_view kVersionPrefix = "2 VERS ";

// The level of a line, blanks before it allowed: one digit, or two without a leading zero,
// then a blank or the line's end; -1 without one.
int levelOf(std::string_view line) {
    size_t i = 0;
    while (i < line.size() && isBlank(line[i])) ++i;
    const auto digit = [&](size_t k) {
        return k < line.size() && line[k] >= '0' && line[k] <= '9';
    };
    if (!digit(i)) return -1;
    int level = line[i] - '0';
    size_t end = i + 1;
    if (digit(end)) {
        if (level == 0) return -1;
        level = level * 10 + (line[end++] - '0');
    }
    return end == line.size() || isBlank(line[end]) ? level : -1;
}

// True for a line that is the given level and tag ("0 HEAD"), then nothing or a blank.
bool isTagLine(std::string_view line, std::string_view levelAndTag) {
    return line.starts_with(levelAndTag) &&
           (line.size() == levelAndTag.size() || isBlank(line[levelAndTag.size()]));
}

// True for "0 HEAD" and for it after a byte-order mark: the start of a GEDCOM file.
bool isHeaderLine(std::string_view line) {
    if (line.starts_with(kUtf8Mark)) line.remove_prefix(kUtf8Mark.size());
    return isTagLine(line, "0 HEAD");
}

}  // namespace

bool isVersion7(std::string_view version) {
    return version == "7" || version.starts_with("7.");
}

bool HeaderFacts::take(std::string_view line) {
    if (classifyLine(line) != LineKind::Ordinary) return false;
    if (!declaredChar_) {
        if (const auto value = charDeclaration(line.substr(0, kLineLimit)))
            declaredChar_ = std::string(*value);
    }
    // Exporters that indent lines by their level are read alike.
    const std::string_view bare = line.substr(std::min(line.find_first_not_of(" \t"), line.size()));
    const int level = levelOf(bare);
    if (level == 0) {
        inHead_ = isTagLine(bare, "0 HEAD");
        inGedc_ = false;
    } else if (level == 1) {
        inGedc_ = inHead_ && isTagLine(bare, "1 GEDC");
    } else if (inGedc_ && !version_ && bare.starts_with(kVersionPrefix)) {
        version_ = std::string(trimEnd(bare.substr(kVersionPrefix.size())));
    }
    return !version_ || !(declaredChar_ || version7());
}

TrailerGate::Verdict TrailerGate::passLevelZero(std::string_view head) {
    const bool trailer = head.starts_with(kTrailerStart);
    if (!trailerSeen_) {
        trailerSeen_ = trailer;
        taking_ = !trailer;
        return Verdict::Take;
    }
    if (isHeaderLine(head)) return Verdict::SecondHeader;
    if (taking_) {
        taking_ = !trailer;
        return taking_ ? Verdict::Take : Verdict::LeaveOut;
    }
    taking_ = head.starts_with("0 ") && !trailer;
    return taking_ ? Verdict::Take : Verdict::LeaveOut;
}

LineRule lineRuleFor(bool utf8Mark, const HeaderFacts& header) {
    if (header.version7()) return LineRule::Whole;
    if (utf8Mark || (header.declaredChar() && namesUtf8(*header.declaredChar())))
        return LineRule::Utf8;
    return LineRule::Bytes;
}

bool startsContent(std::string_view head, const std::string& inputPath) {
    const auto first = head.find_first_not_of(" \t");
    if (first == std::string_view::npos) return false;
    if (head[first] != '0') throw RunError(FailedStep::InputNotGedcom, inputPath);
    return true;
}

void refuseFirstLine(ByteOrderMark mark, std::string_view head, const std::string& inputPath) {
    if (mark == ByteOrderMark::Utf16 || looksLikeUtf16(head))
        throw RunError(FailedStep::InputEncoding, inputPath);
    // A program that added its mark to a file that had one.
    if (mark == ByteOrderMark::Utf8 && head.starts_with(kUtf8Mark))
        throw RunError(FailedStep::InputTwoMarks, inputPath);
    if (looksLikeZip(head)) throw RunError(FailedStep::InputArchive, inputPath);
}

InputStart readInputStart(ByteSource& source, const std::string& inputPath) {
    SourceFromStart fromStart(source);
    LineReader reader(fromStart);
    InputStart start;
    bool content = false;
    Line line;
    for (int64_t number = 1; reader.next(line); ++number) {
        if (number == 1) refuseFirstLine(reader.byteOrderMark(), line.head, inputPath);
        if (!content) content = startsContent(line.head, inputPath);
        if (content && !start.header.take(line.head)) break;
    }
    start.utf8Mark = reader.byteOrderMark() == ByteOrderMark::Utf8;
    return start;
}

}  // namespace brelin::gedcom
