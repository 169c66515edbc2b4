// The invariant every conversion must keep, as a checker shared by the engine tests and the
// fuzzers. Given an input and the output written for it, the output must hold every non-empty
// line of the input up to the trailer, and of the records after it, each cut to 255 bytes where
// longer (never inside a UTF-8 character; not at all in a version 7 file), each exactly once,
// and nothing else, every line ending in CR LF;
// every record's lines stay together and in their order; the header part comes first, then the
// individuals, families, sources and notes, each group in ascending number (whole numbers of any
// length first, ties and other numbers in input order), and the trailer last. A group where the
// usual rule (the xref's letter) places no record with the group's tag is numbered by tag when
// some level-0 line "0 @XREF@ TAG" has the group's tag: such lines start its records, numbered by
// the first digits of XREF.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace brelin::testing {

// The lines of bytes as the program must see them: CR LF, LF and a lone CR each end a line.
std::vector<std::string_view> splitLines(std::string_view bytes);

// The output the invariant allows for input, or nullopt where the input may be refused (no line
// at all, UTF-16, a zip archive, a first line that is not a level-0 line, a header after the
// trailer). With cutLines false, the same with every line whole: the CONC mode's output, its
// values joined back.
// cuts, where given, receives the count of lines cut.
std::optional<std::string> expectedOutput(std::string_view input, bool cutLines = true,
                                          int64_t* cuts = nullptr);

// An empty string when output (nullopt: the run wrote nothing) keeps the invariant for input;
// otherwise what is wrong, for a test's failure message.
std::string checkInvariant(std::string_view input, const std::optional<std::string>& output);

}  // namespace brelin::testing
