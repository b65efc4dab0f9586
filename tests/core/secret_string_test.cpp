#include "core/secret_string.h"

#include <gtest/gtest.h>

#include <string>

namespace tarnwick {
namespace {

TEST(SecretString, EditsByCharacterAndClears) {
    SecretString s;
    EXPECT_TRUE(s.append("p\xC3\xA4ss"));
    EXPECT_EQ(s.char_count(), 4u);
    s.pop_char();
    s.pop_char();
    EXPECT_EQ(s.view(), "p\xC3\xA4");
    s.pop_char();
    EXPECT_EQ(s.view(), "p");
    s.clear();
    EXPECT_TRUE(s.empty());
    s.pop_char();  // harmless when empty
    EXPECT_TRUE(s.empty());
}

TEST(SecretString, RefusesWhatDoesNotFitAndMovesOut) {
    SecretString s(std::string(SecretString::kCapacity, 'x'));
    EXPECT_EQ(s.size(), SecretString::kCapacity);
    EXPECT_FALSE(s.append("y"));
    SecretString moved(std::move(s));
    EXPECT_EQ(moved.size(), SecretString::kCapacity);
    EXPECT_TRUE(s.empty());  // NOLINT(bugprone-use-after-move): moved-from is empty by contract
    EXPECT_TRUE(s.append("ok"));
}

TEST(SecretString, CutsOversizedTextOnCharacterBoundary) {
    std::string text(SecretString::kCapacity - 1, 'a');
    text += "\xC3\xA9";
    SecretString s(text);
    EXPECT_EQ(s.size(), SecretString::kCapacity - 1);
}

}  // namespace
}  // namespace tarnwick
