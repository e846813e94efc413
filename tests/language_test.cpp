// The resource language selection: which of the twelve sets each user language gets.
#include <gtest/gtest.h>

#include "app/language.h"

namespace {

struct LanguageCase {
    LCID threadLocale;
    LANGID expectedSet;
    const char* what;
};

const LanguageCase kLanguageCases[] = {
    {0x0405, 0x0405, "Czech"},
    {0x0406, 0x0406, "Danish"},
    {0x0407, 0x0407, "German"},
    {0x0807, 0x0407, "German (Switzerland)"},
    {0x0C07, 0x0407, "German (Austria)"},
    {0x00010407, 0x0407, "German, phone book sort"},
    {0x040A, 0x040A, "Spanish (traditional sort)"},
    {0x080A, 0x040A, "Spanish (Mexico)"},
    {0x0C0A, 0x040A, "Spanish (modern sort)"},
    {0x040B, 0x040B, "Finnish"},
    {0x040C, 0x040C, "French"},
    {0x0C0C, 0x040C, "French (Canada)"},
    {0x0410, 0x0410, "Italian"},
    {0x0413, 0x0413, "Dutch"},
    {0x0813, 0x0413, "Dutch (Belgium)"},
    {0x0414, 0x0414, "Norwegian Bokmal"},
    {0x0814, 0x0414, "Norwegian Nynorsk"},
    {0x0416, 0x0416, "Portuguese (Brazil)"},
    {0x0816, 0x1009, "Portuguese (Portugal)"},
    {0x0016, 0x1009, "Portuguese, neutral sub-language"},
    {0x041D, 0x041D, "Swedish"},
    {0x081D, 0x041D, "Swedish (Finland)"},
    {0x0409, 0x1009, "English (United States)"},
    {0x0809, 0x1009, "English (United Kingdom)"},
    {0x1009, 0x1009, "English (Canada)"},
    {0x0408, 0x1009, "Greek"},
    {0x040E, 0x1009, "Hungarian"},
    {0x0411, 0x1009, "Japanese"},
    {0x0415, 0x1009, "Polish"},
    {0x0419, 0x1009, "Russian"},
    {0x041B, 0x1009, "Slovak"},
    {0x041F, 0x1009, "Turkish"},
    {0x0000, 0x1009, "neutral"},
    {0x0404, 0x1009, "Chinese (Taiwan), below Czech"},
    {0x03FF, 0x1009, "highest primary language id"},
    {0xFFFF, 0x1009, "every bit of the language id set"},
};

TEST(ResourceLanguageSelection, MapsEveryUserLanguageToOneOfTheTwelveSets) {
    for (const LanguageCase& row : kLanguageCases) {
        EXPECT_EQ(SelectResourceLanguage(LANGIDFROMLCID(row.threadLocale)), row.expectedSet)
            << row.what << " (locale 0x" << std::hex << row.threadLocale << ")";
    }
}

TEST(ResourceLanguageSelection, ChoosesOnlyLanguagesThatHaveASet) {
    const LANGID kSets[] = {0x0405, 0x0406, 0x0407, 0x040A, 0x040B, 0x040C,
                            0x0410, 0x0413, 0x0414, 0x0416, 0x041D, 0x1009};
    for (unsigned langId = 0; langId <= 0xFFFF; ++langId) {
        LANGID chosen = SelectResourceLanguage(static_cast<LANGID>(langId));
        bool known = false;
        for (LANGID set : kSets) known = known || chosen == set;
        ASSERT_TRUE(known) << "language 0x" << std::hex << langId << " chose 0x" << chosen;
    }
}

}  // namespace
