// Reads every document of the shared RTF corpus (other readers' test suites) when this machine
// has it: none may crash, and every well-formed one must yield some content.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "Support.h"

namespace rtf::test {
namespace {

namespace fs = std::filesystem;

TEST(Corpus, EveryDocumentReads) {
    const fs::path root = fs::path(RTF_CORPUS) / "rtf";
    if (!fs::is_directory(root)) {
        GTEST_SKIP() << "no shared RTF corpus at " << root;
    }
    int documents = 0;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        if (entry.path().extension() != ".rtf") {
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        const Document document = parse(bytes);
        (void)plainText(document);
        const bool malformed = entry.path().filename().string().find("fail") != std::string::npos;
        if (!malformed && bytes.size() > 100) {
            EXPECT_FALSE(document.blocks.empty()) << entry.path();
        }
        ++documents;
    }
    EXPECT_GT(documents, 200);
}

TEST(Fixtures, WordPolicyReads) {
    std::ifstream in(std::string(RTF_FIXTURES) + "/word-policy.rtf", std::ios::binary);
    ASSERT_TRUE(in) << "missing fixture";
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(plainText(parse(bytes)),
              "Acceptable Use Policy\n"
              "By pressing Agree you accept the rules below.\n"
              "1. Use the system for work only.\n"
              "2. Report incidents to security@example.org.\n"
              "Name\tDate\n"
              "\t\n"
              "Read the full text at our site.\n");
}

}  // namespace
}  // namespace rtf::test
