#include "messages.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cerrno>

#include "error_text.h"
#include "store_failure.h"

namespace brelin {
namespace {

TEST(ElapsedText, RoundsToTheSecondThenSplitsMinutes) {
    const std::pair<double, const char*> cases[] = {
        {0.0, "en 0 Sec"},           {0.4, "en 0 Sec"},         {2.5, "en 2 Sec"},
        {3.5, "en 4 Sec"},           {59.4, "en 59 Sec"},       {59.6, "en 1 Min 0 Sec"},
        {60.0, "en 1 Min 0 Sec"},    {75.4, "en 1 Min 15 Sec"}, {119.6, "en 2 Min 0 Sec"},
        {3725.0, "en 62 Min 5 Sec"},
    };
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(text::elapsedText(seconds), text) << seconds;
}

// The user reads a French sentence naming the file and the cause; the system's or the
// database's English words, where there are any, come after it in brackets, never inside it.
struct DescribeCase {
    RunError error;
    const char* cause;   // French, in the sentence
    const char* detail;  // English, in brackets at the end; empty for none
};

TEST(Describe, FrenchCauseThenTheDetailsInBrackets) {
    const std::string db = "/p/brelin.db";
    const auto store = [&](int code, const char* message) {
        return databaseFailure(StoreError(code, message), db);
    };
    const DescribeCase cases[] = {
        {RunError::fromSystem(FailedStep::WriteOutput, "/tmp/x.ged", ENOSPC), "le disque est plein",
         ""},
        {RunError::fromSystem(FailedStep::ReadInput, "/tmp/x.ged", ENOENT), "n'existe pas", ""},
        {RunError::fromSystem(FailedStep::ReadInput, "/tmp/x.ged", EOPNOTSUPP),
         "le système a refusé l'opération", "Operation not supported"},
        {store(SQLITE_FULL, "database or disk is full"), "le disque est plein",
         "database or disk is full"},
        {store(SQLITE_IOERR_WRITE, "disk I/O error"), "erreur d'entrée-sortie", "disk I/O error"},
        {store(SQLITE_CANTOPEN, "unable to open database file"), "ne peut pas être ouverte",
         "unable to open database file"},
        {store(SQLITE_READONLY, "attempt to write a readonly database"), "ne peut pas être écrite",
         "attempt to write a readonly database"},
        {store(SQLITE_NOMEM, "out of memory"), "mémoire insuffisante", "out of memory"},
        {store(SQLITE_CORRUPT, "database disk image is malformed"), "endommagée",
         "database disk image is malformed"},
        {store(SQLITE_NOTADB, "file is not a database"), "endommagée", "file is not a database"},
        {store(SQLITE_BUSY, "database is locked"), "occupée", "database is locked"},
        {store(SQLITE_LOCKED, "database table is locked"), "occupée", "database table is locked"},
        {store(SQLITE_ERROR, "no such table: X"), "a échoué", "no such table: X"},
        {RunError(FailedStep::InputEncoding, "/tmp/x.ged"), "en UTF-8 ou en ANSI", ""},
        {RunError(FailedStep::InputArchive, "/tmp/x.gdz"), "le fichier gedcom.ged", ""},
        {RunError::atLine(FailedStep::SecondHeader, "/tmp/x.ged", 12), "(0 HEAD) à la ligne 12",
         ""},
    };
    for (const DescribeCase& c : cases) {
        const std::string message = text::describe(c.error);
        const std::string detail = *c.detail ? std::string(" (") + c.detail + ")" : "";
        ASSERT_GE(message.size(), detail.size()) << message;
        const std::string sentence = message.substr(0, message.size() - detail.size());
        EXPECT_EQ(message.substr(sentence.size()), detail) << message;
        EXPECT_EQ(sentence.back(), '.') << message;
        EXPECT_NE(sentence.find("« " + c.error.path() + " »"), std::string::npos) << message;
        EXPECT_NE(sentence.find(c.cause), std::string::npos) << message;
    }
}

}  // namespace
}  // namespace brelin
