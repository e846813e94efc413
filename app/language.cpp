// The resource language selection: the user's primary language picks one of the twelve sets.
#include "app/language.h"

#include "res/resource.h"

namespace {

struct LanguageSet {
    WORD wPrimaryLanguage;
    LANGID langIdSet;
};

// Every primary language with a set of its own; the sub-language does not matter for these.
const LanguageSet g_LanguageSets[] = {
    {LANG_CZECH, MAKELANGID(LANG_CZECH, SUBLANG_DEFAULT)},
    {LANG_DANISH, MAKELANGID(LANG_DANISH, SUBLANG_DEFAULT)},
    {LANG_GERMAN, MAKELANGID(LANG_GERMAN, SUBLANG_DEFAULT)},
    {LANG_SPANISH, MAKELANGID(LANG_SPANISH, SUBLANG_DEFAULT)},
    {LANG_FINNISH, MAKELANGID(LANG_FINNISH, SUBLANG_DEFAULT)},
    {LANG_FRENCH, MAKELANGID(LANG_FRENCH, SUBLANG_DEFAULT)},
    {LANG_ITALIAN, MAKELANGID(LANG_ITALIAN, SUBLANG_DEFAULT)},
    {LANG_DUTCH, MAKELANGID(LANG_DUTCH, SUBLANG_DEFAULT)},
    {LANG_NORWEGIAN, MAKELANGID(LANG_NORWEGIAN, SUBLANG_DEFAULT)},
    {LANG_SWEDISH, MAKELANGID(LANG_SWEDISH, SUBLANG_DEFAULT)},
};

}  // namespace

// Portuguese has a set for Brazil only; Portugal, English and every language without a set of
// its own get the default set.
LANGID SelectResourceLanguage(LANGID langId) {
    WORD wPrimaryLanguage = PRIMARYLANGID(langId);
    if (wPrimaryLanguage == LANG_PORTUGUESE) {
        bool bBrazilian = SUBLANGID(langId) == SUBLANG_PORTUGUESE_BRAZILIAN;
        return bBrazilian ? MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN)
                          : DEFAULT_RESOURCE_LANGUAGE;
    }
    for (const LanguageSet& set : g_LanguageSets) {
        if (set.wPrimaryLanguage == wPrimaryLanguage) return set.langIdSet;
    }
    return DEFAULT_RESOURCE_LANGUAGE;
}
