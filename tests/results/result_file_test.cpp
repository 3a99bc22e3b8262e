#include "common/text.h"
#include "patdata/pat_bytes.h"
#include "results/result_file.h"
#include "support/temp_dir.h"

#include <functional>

#include <gtest/gtest.h>

namespace velmora {
namespace {

using test::PatBytes;

// One of the 97 fields of a result file: where it lies, how wide it is, which
// member of the record receives it, and a text that differs from its neighbours.
struct ResultField {
    std::string name;
    std::size_t offset;
    int width;
    std::function<std::string&(ResultRecord&)> member;
    std::string text;
};

// A text filling `width` bytes, distinct for each field number.
std::string FieldText(std::size_t number, int width) {
    static const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string text;
    for (int k = 0; k < width; ++k) {
        text += kAlphabet[(number * 7 + static_cast<std::size_t>(k)) % kAlphabet.size()];
    }
    return text;
}

std::vector<ResultField> ResultFields() {
    std::vector<ResultField> fields;
    auto add = [&fields](std::string name, std::size_t offset, int width,
                         std::function<std::string&(ResultRecord&)> member) {
        std::string text = FieldText(fields.size(), width);
        fields.push_back({std::move(name), offset, width, std::move(member), std::move(text)});
    };
    const int headerWidths[] = {8, 4, 4, 2, 2, 2, 1, 10, 1, 28, 28};
    const std::size_t headerOffsets[] = {0, 8, 12, 16, 18, 20, 22, 23, 33, 34, 62};
    for (std::size_t k = 1; k <= 11; ++k) {
        add("header " + std::to_string(k), headerOffsets[k - 1], headerWidths[k - 1],
            [k](ResultRecord& r) -> std::string& { return r.HeaderFields[k]; });
    }
    for (std::size_t k = 1; k <= 7; ++k) {
        std::size_t base = 90 + 40 * (k - 1);
        std::string finisher = "finisher " + std::to_string(k) + " ";
        add(finisher + "1", base + 0, 2,
            [k](ResultRecord& r) -> std::string& { return r.Finishers[k].FinishField1; });
        add(finisher + "2", base + 2, 2,
            [k](ResultRecord& r) -> std::string& { return r.Finishers[k].FinishField2; });
        add(finisher + "name", base + 4, 18,
            [k](ResultRecord& r) -> std::string& { return r.Finishers[k].HorseName; });
        add(finisher + "4", base + 22, 6,
            [k](ResultRecord& r) -> std::string& { return r.Finishers[k].FinishField4; });
        add(finisher + "5", base + 28, 12,
            [k](ResultRecord& r) -> std::string& { return r.Finishers[k].FinishField5; });
    }
    add("mid", 370, 5, [](ResultRecord& r) -> std::string& { return r.MidField; });
    struct Table {
        const char* name;
        std::size_t offset;
        std::size_t count;
        int keyWidth;
        PayoffEntry* (*entry)(ResultRecord&, std::size_t);
    };
    const Table tables[] = {
        {"win", 375, 3, 2, [](ResultRecord& r, std::size_t k) { return &r.WinPayoffs[k]; }},
        {"place", 405, 5, 2, [](ResultRecord& r, std::size_t k) { return &r.PlacePayoffs[k]; }},
        {"bracket", 455, 3, 4, [](ResultRecord& r, std::size_t k) { return &r.BracketQuinellaPayoffs[k]; }},
        {"quinella", 491, 3, 6, [](ResultRecord& r, std::size_t k) { return &r.QuinellaPayoffs[k]; }},
        {"wide", 533, 11, 6, [](ResultRecord& r, std::size_t k) { return &r.WidePayoffs[k]; }},
    };
    for (const Table& table : tables) {
        std::size_t entryWidth = static_cast<std::size_t>(table.keyWidth) + 8;
        for (std::size_t k = 1; k <= table.count; ++k) {
            std::size_t base = table.offset + entryWidth * (k - 1);
            std::string name = std::string(table.name) + " " + std::to_string(k);
            auto entry = table.entry;
            add(name + " key", base, table.keyWidth,
                [entry, k](ResultRecord& r) -> std::string& { return entry(r, k)->Key; });
            add(name + " payoff", base + static_cast<std::size_t>(table.keyWidth), 8,
                [entry, k](ResultRecord& r) -> std::string& { return entry(r, k)->Payoff; });
        }
    }
    return fields;
}

std::string ResultBytes(const std::vector<ResultField>& fields) {
    PatBytes bytes;
    for (const ResultField& field : fields) {
        EXPECT_EQ(bytes.size(), field.offset) << field.name;
        bytes.Add(field.text, field.width);
    }
    return bytes.bytes();
}

bool ReadBytes(const std::string& bytes, ResultRecord& record) {
    static const test::TempDir dir; // one folder for the many cut-short variants
    return ReadResultFile(dir.Write("Ks-1.jra", bytes), record);
}

TEST(ReadResultFile, ReadsAll97FieldsAtTheirOffsets) {
    auto fields = ResultFields();
    ASSERT_EQ(fields.size(), 97u);
    std::string bytes = ResultBytes(fields);
    ASSERT_EQ(bytes.size(), 687u);
    ResultRecord record;
    ASSERT_TRUE(ReadBytes(bytes + "trailing bytes", record));
    for (ResultField& field : fields) {
        EXPECT_EQ(field.member(record), field.text) << field.name;
    }
}

TEST(ReadResultFile, FailsWhenTheFileEndsAtOrInsideAnyField) {
    auto fields = ResultFields();
    std::string bytes = ResultBytes(fields);
    // Cut each field off entirely and by its last byte.
    std::vector<std::size_t> lengths;
    for (const ResultField& field : fields) {
        lengths.push_back(field.offset);
        lengths.push_back(field.offset + static_cast<std::size_t>(field.width) - 1);
    }
    for (std::size_t length : lengths) {
        ResultRecord record;
        ASSERT_FALSE(ReadBytes(bytes.substr(0, length), record)) << length;
        // Reading stopped at the cut: nothing behind it was filled.
        for (ResultField& field : fields) {
            bool complete = field.offset + static_cast<std::size_t>(field.width) <= length;
            ASSERT_EQ(field.member(record), complete ? field.text : "") << field.name << " at " << length;
        }
    }
}

TEST(ReadResultFile, KeepsSpacesAndPadsDoubleByteFields) {
    auto fields = ResultFields();
    for (ResultField& field : fields) {
        if (field.name == "finisher 1 name") {
            field.text = "ディープインパクト";
        } else if (field.name == "finisher 2 name") {
            field.text = "ゴールドシップ";
        } else if (field.name == "quinella 1 key") {
            field.text = " 3- 7";
        } else if (field.name.rfind("wide 11", 0) == 0 || field.name == "header 1") {
            field.text = "";
        }
    }
    ResultRecord record;
    ASSERT_TRUE(ReadBytes(ResultBytes(fields), record));
    EXPECT_EQ(record.Finishers[1].HorseName, "ディープインパクト" + std::string(9, ' '));
    EXPECT_EQ(record.Finishers[2].HorseName, "ゴールドシップ" + std::string(11, ' '));
    EXPECT_EQ(CodePointCount(record.Finishers[2].HorseName), 18u);
    EXPECT_EQ(record.QuinellaPayoffs[1].Key, " 3- 7 ");
    EXPECT_EQ(record.WidePayoffs[11].Key, std::string(6, ' '));
    EXPECT_EQ(record.WidePayoffs[11].Payoff, std::string(8, ' '));
    EXPECT_EQ(record.HeaderFields[1], std::string(8, ' '));
}

TEST(ReadResultFile, FailsForAMissingFileEmptyPathOrFolder) {
    test::TempDir dir;
    ResultRecord record;
    EXPECT_FALSE(ReadResultFile("", record));
    EXPECT_FALSE(ReadResultFile((dir.path() / "Ks-missing.jra").string(), record));
    EXPECT_FALSE(ReadResultFile(dir.path().string(), record));
}

// Creates ordinary files with the given names in a fresh folder.
class ResultFileNameTest : public ::testing::Test {
protected:
    void Files(std::initializer_list<const char*> names) {
        for (const char* name : names) {
            dir_.Write(name, "x");
        }
    }
    std::string Folder() const { return dir_.path().string() + "/"; }
    test::TempDir dir_;
};

TEST_F(ResultFileNameTest, InsertsTwoWildcardsAfterTheFirstCharacterBehindThePrefix) {
    struct Case {
        const char* odds;
        std::vector<const char*> files;
        const char* expected; // bare name, or "" for none
    };
    const Case cases[] = {
        {"Zo-ABCDEF.jra", {"Ks-A12BCDEF.jra"}, "Ks-A12BCDEF.jra"},
        {"Zo-ABCDEF.jra", {"ks-a12bcdef.JRA"}, "ks-a12bcdef.JRA"},
        {"zo-abcdef.jra", {"KS-AXYBCDEF.JRA"}, "KS-AXYBCDEF.JRA"},
        {"Zo-ABCDEF.jra", {"Ks-A1BCDEF.jra", "Ks-A123BCDEF.jra", "Ks-ABCDEF.jra"}, ""},
        {"Zo-ABCDEF.jra", {"Ks-A12BCDEF.jrax", "Ks-B12BCDEF.jra", "Uo-A12BCDEF.jra"}, ""},
        {"Zo-ABCDEF.jra", {"Ks-A99BCDEF.jra", "Ks-A01BCDEF.jra", "Ks-AzzBCDEF.jra"}, "Ks-A01BCDEF.jra"},
        {"Zo-ABCDEF.jra", {"ks-A01BCDEF.jra", "KS-A99BCDEF.jra"}, "KS-A99BCDEF.jra"},
        {"Zo-A.jra", {"Ks-A12.jra"}, "Ks-A12.jra"},
        {"Zo-1", {"Ks-1ab", "Ks-1abc"}, "Ks-1ab"},
        // "?" is one character of the name: a UTF-8 character counts once.
        {"Zo-A.jra", {"Ks-A馬1.jra"}, "Ks-A馬1.jra"},
        {"Zo-A.jra", {"Ks-A馬.jra"}, ""},
        {"Zo-馬B.jra", {"Ks-馬12B.jra"}, "Ks-馬12B.jra"},
        // Characters of the odds file's name are never wildcards themselves.
        {"Zo-A?C.jra", {"Ks-A12BC.jra"}, ""},
        {"Zo-A?C.jra", {"Ks-A12?C.jra"}, "Ks-A12?C.jra"},
        {"Zo-A*.jra", {"Ks-A12xyz.jra"}, ""},
        // A prefix inside the name keeps the text in front of it once.
        {"xZo-ABC.jra", {"xKs-A12BC.jra"}, "xKs-A12BC.jra"},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        for (const char* name : c.files) {
            dir.Write(name, "x");
        }
        std::string folder = dir.path().string() + "/";
        std::string expected = *c.expected ? folder + c.expected : "";
        EXPECT_EQ(ResultFileName(folder + c.odds), expected) << c.odds << " / " << c.files.front();
    }
}

TEST_F(ResultFileNameTest, TakesOrdinaryFilesOnly) {
    std::filesystem::create_directory(dir_.path() / "Ks-A00BCDEF.jra");
    EXPECT_EQ(ResultFileName(Folder() + "Zo-ABCDEF.jra"), "");
    Files({"Ks-A50BCDEF.jra"});
    EXPECT_EQ(ResultFileName(Folder() + "Zo-ABCDEF.jra"), Folder() + "Ks-A50BCDEF.jra");
}

TEST_F(ResultFileNameTest, GivesNothingWithoutAUsablePattern) {
    Files({"Ks-A12BCDEF.jra", "Ks-12.jra"});
    const std::string cases[] = {
        "",
        Folder() + "ABCDEF.jra",     // no prefix
        Folder() + "Zo-",            // nothing behind the prefix
        Folder() + "zo-/ABCDEF.jra", // a prefix only in a folder's name
        Folder() + "missing/Zo-ABCDEF.jra",
        "/nonexistent-folder/Zo-ABCDEF.jra",
    };
    for (const std::string& odds : cases) {
        EXPECT_EQ(ResultFileName(odds), "") << odds;
    }
}

TEST_F(ResultFileNameTest, FindsTheResultInAFolderWhoseNameHoldsThePrefix) {
    std::filesystem::create_directories(dir_.path() / "kazo-data");
    dir_.Write("kazo-data/Ks-A12BCDEF.jra", "x");
    EXPECT_EQ(ResultFileName(Folder() + "kazo-data/Zo-ABCDEF.jra"), Folder() + "kazo-data/Ks-A12BCDEF.jra");
}

} // namespace
} // namespace velmora
