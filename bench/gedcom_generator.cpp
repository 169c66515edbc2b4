// Implementation details: every record's text is a pure function of the seed, its kind and its
// number (each record draws from a random stream of its own), so the input can be written in a
// shuffled order and the expected output in ascending order from the same description. Texts are
// Windows-1252: the accented letters below are single bytes.
#include "gedcom_generator.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string_view>
#include <vector>

namespace brelin::bench {

namespace {

constexpr size_t kLineLimit = 255;

// SplitMix64: small, fast and the same on every platform (unlike std's distributions).
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // A value in [0, bound).
    uint64_t below(uint64_t bound) { return next() % bound; }
    bool chance(uint64_t perMille) { return below(1000) < perMille; }
    template <size_t N>
    std::string_view pick(const std::array<std::string_view, N>& choices) {
        return choices[below(N)];
    }

private:
    uint64_t state_;
};

enum class Kind : uint64_t { Header = 1, Individual, Family, Source, Note };

Random recordRandom(uint64_t seed, Kind kind, uint64_t number) {
    Random mixer(seed * 0x2545F4914F6CDD1DULL + (static_cast<uint64_t>(kind) << 56) + number);
    return Random(mixer.next());
}

constexpr std::array<std::string_view, 14> kMaleNames = {
    "Jean",      "Pierre", "Fran\xE7ois", "J\xE9r\xF4me", "No\xEBl",   "Andr\xE9",   "\xC9tienne",
    "Honor\xE9", "Joseph", "Louis",       "Michel",       "Beno\xEEt", "Cl\xE9ment", "Ren\xE9"};
constexpr std::array<std::string_view, 14> kFemaleNames = {"Marie",
                                                           "H\xE9l\xE8ne",
                                                           "Ana\xEFs",
                                                           "Th\xE9r\xE8se",
                                                           "Fran\xE7oise",
                                                           "Jeanne",
                                                           "Genevi\xE8ve",
                                                           "Zo\xE9",
                                                           "C\xE9"
                                                           "cile",
                                                           "Agn\xE8s",
                                                           "Ad\xE8le",
                                                           "\xC9lise",
                                                           "Louise",
                                                           "Rose"};
constexpr std::array<std::string_view, 16> kSurnames = {
    "DUPONT",   "MARTIN",     "LEF\xC8VRE", "GIRAUD", "B\xC9RARD", "FAURE",
    "ROUSSEAU", "MOREAU",     "CH\xC2TEL",  "PERRIN", "GAUTHIER",  "MERCIER",
    "BERTHET",  "CL\xC9MENT", "VUILLEMIN",  "JOLY"};
constexpr std::array<std::string_view, 12> kPlaces = {
    "Besan\xE7on, Doubs, Franche-Comt\xE9, France",
    "Orl\xE9"
    "ans, Loiret, Centre, France",
    "Saint-\xC9tienne, Loire, Rh\xF4ne-Alpes, France",
    "N\xEEmes, Gard, Languedoc-Roussillon, France",
    "Angoul\xEAme, Charente, Poitou-Charentes, France",
    "S\xE8te, H\xE9rault, Languedoc-Roussillon, France",
    "Pontarlier, Doubs, Franche-Comt\xE9, France",
    "Lyon, Rh\xF4ne, Rh\xF4ne-Alpes, France",
    "Montb\xE9liard, Doubs, Franche-Comt\xE9, France",
    "Vevey, Vaud, Suisse",
    "Qu\xE9"
    "bec, Qu\xE9"
    "bec, Canada",
    "Mo\xFBtiers, Savoie, Rh\xF4ne-Alpes, France"};
constexpr std::array<std::string_view, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                      "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
constexpr std::array<std::string_view, 24> kWords = {"baptis\xE9",
                                                     "dans",
                                                     "l'\xE9glise",
                                                     "de",
                                                     "la",
                                                     "paroisse",
                                                     "t\xE9moins",
                                                     "son",
                                                     "p\xE8re",
                                                     "cultivateur",
                                                     "m\xE9tayer",
                                                     "domicili\xE9",
                                                     "au",
                                                     "hameau",
                                                     "des",
                                                     "Pr\xE9s",
                                                     "ann\xE9"
                                                     "e",
                                                     "acte",
                                                     "sign\xE9",
                                                     "par",
                                                     "le",
                                                     "cur\xE9",
                                                     "fr\xE8re",
                                                     "\xE2g\xE9"};
constexpr std::array<std::string_view, 8> kOccupations = {"cultivateur",
                                                          "laboureur au hameau des Pr\xE9s",
                                                          "tisserand",
                                                          "ma\xEEtre d'\xE9"
                                                          "cole",
                                                          "journalier",
                                                          "horloger \xE0 domicile",
                                                          "marchand de bois",
                                                          "tailleur d'habits"};
constexpr std::array<std::string_view, 6> kArchives = {
    "Registres paroissiaux",     "\xC9tat civil, naissances", "\xC9tat civil, mariages",
    "Recensement de population", "Actes notari\xE9s",         "Registres matricules"};
constexpr std::array<std::string_view, 6> kDepartments = {
    "du Doubs", "du Loiret", "de la Loire", "du Gard", "de la Charente", "de l'H\xE9rault"};

// One record's lines, gathered into text with CR LF line ends; cut to 255 bytes when writing
// the expected output.
class RecordWriter {
public:
    RecordWriter(std::string& text, bool cut) : text_(text), cut_(cut) {}

    RecordWriter& operator<<(std::string_view part) {
        line_.append(part);
        return *this;
    }
    RecordWriter& operator<<(uint64_t number) {
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
        line_.append(digits, end);
        return *this;
    }
    void endLine() {
        if (line_.size() > kLineLimit) ++longLines;
        text_.append(line_.data(), cut_ ? std::min(line_.size(), kLineLimit) : line_.size());
        text_.append("\r\n");
        line_.clear();
        ++lines;
    }
    // Appends words until the line holds at least length bytes.
    void words(Random& random, size_t length) {
        const size_t start = line_.size();
        while (line_.size() - start < length) {
            if (line_.size() > start) line_ += ' ';
            line_.append(random.pick(kWords));
        }
    }
    void date(Random& random, uint64_t year) {
        *this << random.below(28) + 1 << " " << random.pick(kMonths) << " " << year;
    }

    uint64_t lines = 0;
    uint64_t longLines = 0;

private:
    std::string& text_;
    bool cut_;
    std::string line_;
};

// Note lines: mostly short, now and then one longer than 255 bytes.
void noteLines(RecordWriter& out, Random& random, int level, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        out << static_cast<uint64_t>(level) << " CONT ";
        out.words(random, random.chance(20) ? 260 + random.below(400) : 40 + random.below(50));
        out.endLine();
    }
}

}  // namespace

GedcomGenerator::GedcomGenerator(GeneratorOptions options) : options_(options) {
    // The size of a file grows in proportion to its number of individuals: measure a small one,
    // then scale.
    constexpr uint64_t kProbe = 4000;
    GeneratorOptions probeOptions = options;
    GedcomGenerator probe(probeOptions, kProbe);
    ByteSink counter(nullptr);
    probe.writeInput(counter);
    const double perIndividual = static_cast<double>(counter.count()) / kProbe;
    const auto individuals = static_cast<uint64_t>(
        std::max(3.0, static_cast<double>(options.targetBytes) / perIndividual + 0.5));
    counts_ = countsFor(individuals);
}

GedcomGenerator::GedcomGenerator(GeneratorOptions options, uint64_t individuals)
    : options_(options), counts_(countsFor(individuals)) {}

GedcomGenerator::Counts GedcomGenerator::countsFor(uint64_t individuals) {
    return {individuals, std::max<uint64_t>(1, individuals / 3),
            std::max<uint64_t>(1, individuals / 40), std::max<uint64_t>(1, individuals / 250)};
}

void GedcomGenerator::writeRecord(std::string& text, int kind, uint64_t number, bool cut,
                                  GeneratedShape& shape) const {
    RecordWriter out(text, cut);
    const uint64_t families = counts_.families;
    const uint64_t spouses = 2 * families;
    switch (static_cast<Kind>(kind)) {
        case Kind::Header: {
            Random random = recordRandom(options_.seed, Kind::Header, 0);
            out << "0 HEAD";
            out.endLine();
            out << "1 SOUR GENEREUX";
            out.endLine();
            out << "2 VERS 9.1";
            out.endLine();
            out << "2 NAME G\xE9n\xE9rateur de fichiers d'essai";
            out.endLine();
            out << "1 DEST ANY";
            out.endLine();
            out << "1 DATE ";
            out.date(random, 2024);
            out.endLine();
            out << "1 SUBM @SUBM1@";
            out.endLine();
            out << "1 FILE essai.ged";
            out.endLine();
            out << "1 GEDC";
            out.endLine();
            out << "2 VERS 5.5";
            out.endLine();
            out << "2 FORM LINEAGE-LINKED";
            out.endLine();
            out << "1 CHAR ANSI";
            out.endLine();
            out << "1 LANG French";
            out.endLine();
            out << "0 @SUBM1@ SUBM";
            out.endLine();
            out << "1 NAME Soci\xE9t\xE9 d'\xE9tudes g\xE9n\xE9"
                   "alogiques";
            out.endLine();
            out << "1 ADDR 12 rue de la R\xE9publique";
            out.endLine();
            out << "2 CITY Besan\xE7on";
            out.endLine();
            break;
        }
        case Kind::Individual: {
            Random random = recordRandom(options_.seed, Kind::Individual, number);
            const bool male = number <= spouses ? number % 2 == 1 : random.chance(500);
            const std::string_view given =
                male ? random.pick(kMaleNames) : random.pick(kFemaleNames);
            const std::string_view surname = random.pick(kSurnames);
            const uint64_t born = 1650 + random.below(300);
            out << "0 @I" << number << "@ INDI";
            out.endLine();
            out << "1 NAME " << given << " /" << surname << "/";
            out.endLine();
            out << "2 GIVN " << given;
            out.endLine();
            out << "2 SURN " << surname;
            out.endLine();
            out << "1 SEX " << (male ? "M" : "F");
            out.endLine();
            out << "1 BIRT";
            out.endLine();
            out << "2 DATE ";
            out.date(random, born);
            out.endLine();
            out << "2 PLAC " << random.pick(kPlaces);
            out.endLine();
            if (random.chance(700)) {
                out << "1 DEAT";
                out.endLine();
                out << "2 DATE ";
                out.date(random, born + 1 + random.below(90));
                out.endLine();
                out << "2 PLAC " << random.pick(kPlaces);
                out.endLine();
            }
            if (random.chance(600)) {
                out << "1 OCCU " << random.pick(kOccupations);
                out.endLine();
            }
            if (number <= spouses) {
                out << "1 FAMS @F" << (number + 1) / 2 << "@";
            } else {
                out << "1 FAMC @F" << (number - spouses - 1) % families + 1 << "@";
            }
            out.endLine();
            if (random.chance(650)) {
                out << "1 NOTE ";
                out.words(random, 15 + random.below(30));
                out.endLine();
                noteLines(out, random, 2, 1 + random.below(5));
            }
            if (random.chance(300)) {
                out << "1 SOUR @S" << random.below(counts_.sources) + 1 << "@";
                out.endLine();
                out << "2 PAGE f\xB0 " << random.below(400) + 1;
                out.endLine();
            }
            if (random.chance(60)) {
                out << "1 NOTE @N" << random.below(counts_.notes) + 1 << "@";
                out.endLine();
            }
            out << "1 CHAN";
            out.endLine();
            out << "2 DATE ";
            out.date(random, 2000 + random.below(25));
            out.endLine();
            ++shape.individuals;
            break;
        }
        case Kind::Family: {
            Random random = recordRandom(options_.seed, Kind::Family, number);
            out << "0 @F" << number << "@ FAM";
            out.endLine();
            out << "1 HUSB @I" << 2 * number - 1 << "@";
            out.endLine();
            out << "1 WIFE @I" << 2 * number << "@";
            out.endLine();
            for (uint64_t child = spouses + number; child <= counts_.individuals;
                 child += families) {
                out << "1 CHIL @I" << child << "@";
                out.endLine();
            }
            out << "1 MARR";
            out.endLine();
            out << "2 DATE ";
            out.date(random, 1670 + random.below(300));
            out.endLine();
            out << "2 PLAC " << random.pick(kPlaces);
            out.endLine();
            ++shape.families;
            break;
        }
        case Kind::Source: {
            Random random = recordRandom(options_.seed, Kind::Source, number);
            out << "0 @S" << number << "@ SOUR";
            out.endLine();
            out << "1 TITL " << random.pick(kArchives) << " " << random.pick(kDepartments);
            out.endLine();
            out << "1 AUTH Archives d\xE9partementales " << random.pick(kDepartments);
            out.endLine();
            out << "1 PUBL Cote " << random.below(9) + 1 << " E " << random.below(3000) + 1;
            out.endLine();
            if (random.chance(400)) {
                out << "1 TEXT ";
                out.words(random, 20 + random.below(40));
                out.endLine();
                noteLines(out, random, 2, 1 + random.below(3));
            }
            ++shape.sources;
            break;
        }
        case Kind::Note: {
            Random random = recordRandom(options_.seed, Kind::Note, number);
            out << "0 @N" << number << "@ NOTE ";
            out.words(random, 20 + random.below(40));
            out.endLine();
            noteLines(out, random, 1, 2 + random.below(5));
            ++shape.notes;
            break;
        }
    }
    shape.lines += out.lines;
    shape.longLines += out.longLines;
}

GeneratedShape GedcomGenerator::writeInput(ByteSink& sink) const {
    GeneratedShape shape;
    std::string text;
    const auto emptyLine = [&] {
        sink.write("\r\n", 2);
        ++shape.lines;
        ++shape.emptyLines;
    };

    writeRecord(text, static_cast<int>(Kind::Header), 0, false, shape);
    sink.write(text.data(), text.size());
    emptyLine();

    // One shuffle stream for the whole file, apart from the records' own streams.
    Random shuffle(options_.seed ^ 0x5DEECE66DULL);
    std::vector<uint32_t> order;
    uint64_t written = 0;
    const auto group = [&](Kind kind, uint64_t count) {
        order.resize(count);
        for (uint64_t i = 0; i < count; ++i) order[i] = static_cast<uint32_t>(i + 1);
        for (uint64_t i = count; i > 1; --i) std::swap(order[i - 1], order[shuffle.below(i)]);
        for (const uint32_t number : order) {
            text.clear();
            writeRecord(text, static_cast<int>(kind), number, false, shape);
            sink.write(text.data(), text.size());
            if (++written % 10000 == 0) emptyLine();
        }
    };
    group(Kind::Individual, counts_.individuals);
    group(Kind::Family, counts_.families);
    group(Kind::Source, counts_.sources);
    group(Kind::Note, counts_.notes);
    emptyLine();
    sink.write("0 TRLR\r\n", 8);
    ++shape.lines;
    return shape;
}

void GedcomGenerator::writeExpected(ByteSink& sink) const {
    GeneratedShape shape;
    std::string text;
    const auto one = [&](Kind kind, uint64_t number) {
        text.clear();
        writeRecord(text, static_cast<int>(kind), number, true, shape);
        sink.write(text.data(), text.size());
    };
    one(Kind::Header, 0);
    for (uint64_t i = 1; i <= counts_.individuals; ++i) one(Kind::Individual, i);
    for (uint64_t i = 1; i <= counts_.families; ++i) one(Kind::Family, i);
    for (uint64_t i = 1; i <= counts_.sources; ++i) one(Kind::Source, i);
    for (uint64_t i = 1; i <= counts_.notes; ++i) one(Kind::Note, i);
    sink.write("0 TRLR\r\n", 8);
}

void writeSingleLineFile(ByteSink& sink, uint64_t lineBytes) {
    sink.write("0 HEAD\r\n1 NOTE ", 15);
    std::string chunk(1 << 16, 'x');
    uint64_t left = lineBytes > 7 ? lineBytes - 7 : 0;
    while (left > 0) {
        const size_t size = static_cast<size_t>(std::min<uint64_t>(left, chunk.size()));
        sink.write(chunk.data(), size);
        left -= size;
    }
    sink.write("\r\n0 TRLR\r\n", 10);
}

}  // namespace brelin::bench
