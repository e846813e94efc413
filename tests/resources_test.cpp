// The program's compiled resources, read back through the simulated loader: every dialog template
// of every language set, the string table, the two images, the version record, and the lookups
// that pick a language set.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/afxwin.h"
#include "res/resource.h"
#include "tests/sim_test.h"

namespace {

// ---------------------------------------------------------------------------------------------
// What each language set holds. Texts are UTF-8 here; the resources hold them as UTF-16.

struct LanguageSet {
    WORD language;
    const char* title;
    const char* ok;
    const char* cancel;
    const char* removalWarning;  // 102, item 3
    short removalWarningHeight;
    const char* notFoundWarning;  // 137, item 2
    short notFoundWarningY;
    short notFoundWarningHeight;
    const char* notFoundText;  // 137, item 3
    short notFoundTextWidth;
    const char* prompt;  // 138
    bool pictureFirst;   // 138: the picture comes before the prompt
    const char* noPrivileges;
    const char* unknownDriver;
    const char* cannotRemove;
};

LanguageSet English(WORD language) {
    return {language,
            "Uninstall TAVRO card",
            "OK",
            "Cancel",
            "WARNING: You are about to uninstall this device from your system.",
            11,
            "WARNING: Cannot uninstall. No TAVRO device found on your system.",
            37,
            16,  // two lines: in the dialog font the sentence is wider than the line
            "Device not found",
            69,
            "Choose the device you want to uninstall.",
            true,
            "Cannot run program. You don't have privileges to perform this operation.  Please, "
            "contact your system administrator.",
            "Unknown device driver",
            "Cannot remove your device."};
}

const std::vector<LanguageSet>& AllSets() {
    static const std::vector<LanguageSet> sets = {
        English(0x1009),
        English(0x0405),
        {0x0406, "Fjern installationen af TAVRO-kortet", "OK", "Annuller",
         "ADVARSEL! Du er ved at fjerne denne enhed fra dit system.", 11,
         "ADVARSEL! Kan ikke fjerne installationen. Der blev ikke fundet nogen TAVRO-enhed på dit "
         "system.",
         37, 18, "Enheden blev ikke fundet", 115, "Vælg den enhed, der skal fjernes.", false,
         "Kan ikke køre programmet. Du har ikke privilegier til at udføre denne handling.  "
         "Kontakt systemadministratoren.",
         "Ukendt enhedsdriver", "Kan ikke fjerne enheden."},
        {0x0407, "Deinstallation der TAVRO karte", "OK", "Abbrechen",
         "ACHTUNG: Sie sind dabei dieses Gerät aus Ihrem System zu entfernen.", 16,
         "ACHTUNG: Kann nicht deinstallieren. Es wurde kein TAVRO Gerät in Ihrem System "
         "gefunden.",
         37, 17, "Gerät nicht gefunden", 69, "Wählen Sie das Gerät, das Sie deinstallieren wollen.",
         true,
         "Kann das Programm nicht starten. Sie haben keine Rechte um diese Operation "
         "auszuführen.  Bitte, kontaktieren Sie Ihren System Administrator.",
         "Unbekannter Geräte Treiber", "Kann das Gerät nicht entfernen."},
        {0x040A, "Desinstalación de la tarjeta TAVRO", "Aceptar", "Cancelar",
         "ADVERTENCIA: Está a punto de desinstalar este dispositivo de su sistema.", 16,
         "ADVERTENCIA: No se puede desinstalar. No se ha encontrado el dispositivo en su sistema.",
         37, 18, "Dispositivo no encontrado", 109,
         "Seleccione el dispositivo que desea desinstalar.", false,
         "No se puede ejecutar el programa. No tiene privilegios para realizar esta operación.  "
         "Póngase en contacto con su administrador del sistema.",
         "Controlador de dispositivo desconocido", "No se puede retirar el dispositivo."},
        English(0x040B),
        {0x040C, "Désinstaller la carte TAVRO", "OK", "Annuler",
         "ATTENTION : Vous êtes sur le point de désinstaller ce périphérique de votre système.", 16,
         "ATTENTION : La désinstallation ne peut s'effectuer. Aucun périphérique TAVRO n'a été "
         "trouvé sur votre système.",
         37, 17, "Périphérique non trouvé", 113,
         "Choisissez le périphérique que vous souhaitez désinstaller.", false,
         "Le programme ne peut être exécuté. Vous ne disposez pas des privilèges appropriés pour "
         "effectuer cette opération.  Prenez contact avec votre administrateur système.",
         "Pilote de périphérique inconnu", "Le périphérique ne peut être retiré."},
        {0x0410, "Disinstalla scheda TAVRO", "OK", "Annulla",
         "ATTENZIONE: Si sta per disinstallare questo dispositivo dal sistema.", 11,
         "ATTENZIONE: Impossibile eseguire la disinstallazione. Nessun dispositivo TAVRO trovato "
         "nel sistema.",
         37, 18, "Dispositivo non trovato.", 104, "Scegliere il dispositivo da disinstallare.",
         false,
         "Impossibile eseguire il programma. Non si dispone dei privilegi necessari per eseguire "
         "questa operazione.  Contattare l'amministratore di sistema.",
         "Driver di periferica sconosciuto", "Impossibile rimuovere il dispositivo."},
        {0x0413, "Installatie van TAVRO-kaart ongedaan maken", "OK", "Annuleren",
         "WAARSCHUWING: U gaat de installatie van dit apparaat ongedaan maken.", 16,
         "WAARSCHUWING: Installatie kan niet ongedaan worden gemaakt. Er is geen TAVRO-apparaat "
         "gevonden op uw computer.",
         33, 17, "Apparaat niet gevonden", 111,
         "Kies het apparaat waarvan u de installatie ongedaan wilt maken.", true,
         "Programma kan niet worden uitgevoerd. U hebt geen bevoegdheid voor het uitvoeren van "
         "deze bewerking.  Neem contact op met de systeembeheerder.",
         "Onbekend stuurprogramma", "Het apparaat kan niet worden verwijderd."},
        {0x0414, "Avinstallere TAVRO-kort", "OK", "Avbryt",
         "ADVARSEL: Du er i ferd med å avinstallere denne enheten fra maskinen.", 17,
         "ADVARSEL: Kan ikke avinstallere. Finner ikke noen TAVRO-enhet på maskinen.", 37, 18,
         "Finner ikke enhet", 96, "Velg enheten du vil avinstallere.", false,
         "Kan ikke kjøre programmet. Du har ikke rettighetene som kreves for å utføre denne "
         "operasjonen. Ta kontakt med systemansvarlig.",
         "Ukjent enhetsdriver", "Kan ikke fjerne enheten."},
        {0x0416, "Desinstalar placa Tavro", "OK", "Cancelar",
         "AVISO: Você está prestes a desinstalar este dispositivo de seu sistema.", 16,
         "AVISO: Não é possível desinstalar. Não foi encontrado nenhum dispositivo Tavro em seu "
         "sistema.",
         37, 18, "Dispositivo não encontrado", 98,
         "Escolha o dispositivo que você deseja desinstalar.", false,
         "Não é possível executar o programa. Você não possui previlégios para realizar esta "
         "operação.  Entre em contato com seu administrador de sistemas.",
         "Driver de dispositivo desconhecido", "Não é possível remover seu dispositivo."},
        {0x041D, "Avinstallera TAVRO-kortet", "OK", "Avbryt",
         "VARNING! Du kommer nu att avinstallera enheten från ditt system.", 11,
         "VARNING! Kan inte avinstallera. Ingen TAVRO-enhet hittades i ditt system.", 37, 16,
         "Enheten hittades inte", 104, "Välj vilken enhet du vill avinstallera.", false,
         "Kan inte köra programmet. Du saknar behörighet att genomföra den här operationen.  "
         "Kontakta systemadministratören.",
         "Okänd drivrutin för enheten", "Kan inte ta bort enheten."},
    };
    return sets;
}

const char kAppCaption[] = "TAVRO Client for Windows 2000";
const WORD kDialogIds[] = {IDD_CONFIRM_REMOVAL, IDD_DEVICE_NOT_FOUND, IDD_CHOOSE_DEVICE};

std::string SetName(WORD language) {
    char name[16];
    std::snprintf(name, sizeof name, "set 0x%04X", language);
    return name;
}

// UTF-8 to the program's ANSI code page, Windows-1252 (every text lies in U+0020 to U+00FF).
std::string Ansi(const std::string& utf8) {
    std::string ansi;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        unsigned char c = utf8[i];
        if (c < 0x80) {
            ansi += static_cast<char>(c);
        } else {
            ansi += static_cast<char>(((c & 0x1F) << 6) | (utf8[++i] & 0x3F));
        }
    }
    return ansi;
}

std::string Utf8(const std::u16string& text) {
    std::string utf8;
    for (char16_t unit : text) {
        if (unit < 0x80) {
            utf8 += static_cast<char>(unit);
        } else if (unit < 0x800) {
            utf8 += static_cast<char>(0xC0 | unit >> 6);
            utf8 += static_cast<char>(0x80 | (unit & 0x3F));
        } else {
            utf8 += "\xEF\xBF\xBD";  // never expected: shows up as a mismatch
        }
    }
    return utf8;
}

// ---------------------------------------------------------------------------------------------
// Reading the compiled resources.

using Bytes = std::vector<BYTE>;

// The resource's bytes, or none (with a test failure) when the loader does not find it.
Bytes LoadBytes(LPCSTR type, WORD name, WORD language) {
    HRSRC found = FindResourceExA(nullptr, type, MAKEINTRESOURCEA(name), language);
    if (found == nullptr) {
        ADD_FAILURE() << "resource type " << LOWORD(type) << " number " << name << " missing in "
                      << SetName(language);
        return {};
    }
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    return Bytes(data, data + SizeofResource(nullptr, found));
}

class Reader {
public:
    explicit Reader(const Bytes& bytes, std::size_t at = 0) : bytes_(bytes), at_(at) {}

    std::size_t at() const { return at_; }
    bool ok() const { return ok_; }
    BYTE Byte() { return Take(1) ? bytes_[at_ - 1] : 0; }
    WORD Word() { return Take(2) ? bytes_[at_ - 2] | bytes_[at_ - 1] << 8 : 0; }
    DWORD Dword() {
        DWORD low = Word();
        return low | DWORD{Word()} << 16;
    }
    short Short() { return static_cast<short>(Word()); }
    std::u16string String() {
        std::u16string text;
        while (ok_) {
            WORD unit = Word();
            if (unit == 0) break;
            text += static_cast<char16_t>(unit);
        }
        return text;
    }
    // A number (0xFFFF then the ordinal), nothing (0x0000) or a string.
    void StringOrOrdinal(int* ordinal, std::u16string* text) {
        *ordinal = -1;
        text->clear();
        if (ok_ && at_ + 2 <= bytes_.size() && bytes_[at_] == 0xFF && bytes_[at_ + 1] == 0xFF) {
            Word();
            *ordinal = Word();
        } else {
            *text = String();
        }
    }
    void AlignDword() { at_ = (at_ + 3) & ~std::size_t{3}; }

private:
    bool Take(std::size_t count) {
        if (!ok_ || at_ + count > bytes_.size()) return ok_ = false;
        at_ += count;
        return true;
    }
    const Bytes& bytes_;
    std::size_t at_;
    bool ok_ = true;
};

// ---------------------------------------------------------------------------------------------
// Dialog templates (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX items).

struct Item {
    DWORD id = 0;
    int classOrdinal = -1;  // -1: the class is named by a string
    std::u16string rawText;
    std::string text;      // UTF-8
    int textOrdinal = -1;  // the picture's bitmap number; -1: the text is a string
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    DWORD helpId = 0, exStyle = 0;
    WORD extraCount = 0;
};

struct Template {
    WORD version = 0, signature = 0;
    DWORD helpId = 0, exStyle = 0, style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int menuOrdinal = -1, classOrdinal = -1;
    std::u16string menu, windowClass;
    std::u16string rawTitle;
    std::string title;
    WORD pointSize = 0, weight = 0;
    BYTE italic = 0, charset = 0;
    std::string typeface;
    std::vector<Item> items;
    bool complete = false;  // every byte was read, nothing left over
};

Item ReadItem(Reader& in) {
    Item item;
    in.AlignDword();
    item.helpId = in.Dword();
    item.exStyle = in.Dword();
    item.style = in.Dword();
    item.x = in.Short();
    item.y = in.Short();
    item.cx = in.Short();
    item.cy = in.Short();
    item.id = in.Dword();
    std::u16string className;
    in.StringOrOrdinal(&item.classOrdinal, &className);
    in.StringOrOrdinal(&item.textOrdinal, &item.rawText);
    item.text = Utf8(item.rawText);
    item.extraCount = in.Word();
    return item;
}

Template ReadTemplate(const Bytes& bytes) {
    Reader in(bytes);
    Template t;
    t.version = in.Word();
    t.signature = in.Word();
    t.helpId = in.Dword();
    t.exStyle = in.Dword();
    t.style = in.Dword();
    WORD count = in.Word();
    t.x = in.Short();
    t.y = in.Short();
    t.cx = in.Short();
    t.cy = in.Short();
    in.StringOrOrdinal(&t.menuOrdinal, &t.menu);
    in.StringOrOrdinal(&t.classOrdinal, &t.windowClass);
    t.rawTitle = in.String();
    t.title = Utf8(t.rawTitle);
    t.pointSize = in.Word();
    t.weight = in.Word();
    t.italic = in.Byte();
    t.charset = in.Byte();
    t.typeface = Utf8(in.String());
    for (WORD i = 0; i < count && in.ok(); ++i) t.items.push_back(ReadItem(in));
    t.complete = in.ok() && in.at() == bytes.size();
    return t;
}

Template LoadTemplate(WORD dialog, WORD language) {
    return ReadTemplate(LoadBytes(RT_DIALOG, dialog, language));
}

const int kButton = 0x80, kStatic = 0x82, kComboBox = 0x85;
const DWORD kOkStyle = 0x50010001, kCancelStyle = 0x50010000, kTextStyle = 0x50020000,
            kPictureStyle = 0x5000000E, kComboStyle = 0x50210102;

Item Expect(DWORD id, int classOrdinal, const std::string& text, DWORD style, short x, short y,
            short cx, short cy) {
    Item item;
    item.id = id;
    item.classOrdinal = classOrdinal;
    item.text = text;
    item.style = style;
    item.x = x;
    item.y = y;
    item.cx = cx;
    item.cy = cy;
    return item;
}

Item Picture(short x, short y, short cx, short cy) {
    Item item = Expect(IDC_CARD_PICTURE, kStatic, "", kPictureStyle, x, y, cx, cy);
    item.textOrdinal = IDB_CARD;
    return item;
}

const DWORD kStaticId = static_cast<DWORD>(IDC_STATIC);

std::vector<Item> ConfirmRemovalItems(const LanguageSet& set) {
    return {Expect(IDOK, kButton, set.ok, kOkStyle, 125, 53, 50, 14),
            Expect(IDCANCEL, kButton, set.cancel, kCancelStyle, 180, 53, 50, 14),
            Expect(kStaticId, kStatic, set.removalWarning, kTextStyle, 13, 37, 219,
                   set.removalWarningHeight),
            Expect(IDC_DEVICE_DESC, kStatic, "", kTextStyle, 44, 14, 193, 14),
            Picture(14, 12, 54, 22)};
}

std::vector<Item> DeviceNotFoundItems(const LanguageSet& set) {
    return {Expect(IDOK, kButton, set.ok, kOkStyle, 177, 54, 50, 14),
            Expect(kStaticId, kStatic, set.notFoundWarning, kTextStyle, 13, set.notFoundWarningY,
                   219, set.notFoundWarningHeight),
            Expect(IDC_DEVICE_DESC, kStatic, set.notFoundText, kTextStyle, 47, 17,
                   set.notFoundTextWidth, 11),
            Picture(14, 12, 54, 22)};
}

std::vector<Item> ChooseDeviceItems(const LanguageSet& set) {
    Item ok = Expect(IDOK, kButton, set.ok, kOkStyle, 125, 53, 50, 14);
    Item cancel = Expect(IDCANCEL, kButton, set.cancel, kCancelStyle, 180, 53, 50, 14);
    Item picture = Picture(23, 27, 21, 13);
    Item prompt = Expect(kStaticId, kStatic, set.prompt, kTextStyle, 19, 12, 214, 10);
    Item combo = Expect(IDC_DEVICE_COMBO, kComboBox, "", kComboStyle, 63, 29, 170, 12);
    if (set.pictureFirst) return {ok, cancel, picture, prompt, combo};
    return {ok, cancel, prompt, combo, picture};
}

std::vector<Item> ExpectedItems(WORD dialog, const LanguageSet& set) {
    if (dialog == IDD_CONFIRM_REMOVAL) return ConfirmRemovalItems(set);
    if (dialog == IDD_DEVICE_NOT_FOUND) return DeviceNotFoundItems(set);
    return ChooseDeviceItems(set);
}

void ExpectItem(const Item& actual, const Item& expected, const std::string& where) {
    SCOPED_TRACE(where);
    EXPECT_EQ(actual.id, expected.id);
    EXPECT_EQ(actual.classOrdinal, expected.classOrdinal);
    EXPECT_EQ(actual.text, expected.text);
    EXPECT_EQ(actual.textOrdinal, expected.textOrdinal);
    EXPECT_EQ(actual.style, expected.style) << std::hex << actual.style;
    EXPECT_EQ(actual.x, expected.x);
    EXPECT_EQ(actual.y, expected.y);
    EXPECT_EQ(actual.cx, expected.cx);
    EXPECT_EQ(actual.cy, expected.cy);
    EXPECT_EQ(actual.helpId, 0u);
    EXPECT_EQ(actual.exStyle, 0u);
    EXPECT_EQ(actual.extraCount, 0);
}

// ---------------------------------------------------------------------------------------------
// String table block 1 (ids 0 to 15).

std::vector<std::u16string> ReadStringBlock(const Bytes& bytes, bool* complete) {
    Reader in(bytes);
    std::vector<std::u16string> strings;
    for (int i = 0; i < 16; ++i) {
        std::u16string text(in.Word(), u'\0');
        for (char16_t& unit : text) unit = static_cast<char16_t>(in.Word());
        strings.push_back(text);
    }
    *complete = in.ok() && in.at() == bytes.size();
    return strings;
}

std::vector<std::string> ExpectedStrings(const LanguageSet& set) {
    std::vector<std::string> strings(16);
    strings[IDS_APP_CAPTION] = kAppCaption;
    strings[IDS_NO_PRIVILEGES] = set.noPrivileges;
    strings[IDS_UNKNOWN_DRIVER] = set.unknownDriver;
    strings[IDS_CANNOT_REMOVE] = set.cannotRemove;
    return strings;
}

// Every text a user can see in one set, as the resources hold them.
std::vector<std::u16string> VisibleTexts(WORD language) {
    std::vector<std::u16string> texts;
    for (WORD dialog : kDialogIds) {
        Template t = LoadTemplate(dialog, language);
        texts.push_back(t.rawTitle);
        for (const Item& item : t.items) {
            if (item.textOrdinal < 0 && !item.rawText.empty()) texts.push_back(item.rawText);
        }
    }
    bool complete = false;
    for (const std::u16string& text :
         ReadStringBlock(LoadBytes(RT_STRING, 1, language), &complete)) {
        if (!text.empty()) texts.push_back(text);
    }
    return texts;
}

// ---------------------------------------------------------------------------------------------

class ResourcesTest : public SimTest {};

TEST_F(ResourcesTest, EveryDialogTemplateHasTheCommonExtendedHeader) {
    for (const LanguageSet& set : AllSets()) {
        for (WORD dialog : kDialogIds) {
            SCOPED_TRACE(SetName(set.language) + ", dialog " + std::to_string(dialog));
            Template t = LoadTemplate(dialog, set.language);
            EXPECT_TRUE(t.complete);
            EXPECT_EQ(t.version, 1);
            EXPECT_EQ(t.signature, 0xFFFF);
            EXPECT_EQ(t.helpId, 0u);
            EXPECT_EQ(t.style, 0x90C800C0u) << std::hex << t.style;
            EXPECT_EQ(t.exStyle, 0x00040000u) << std::hex << t.exStyle;
            EXPECT_EQ(t.x, 0);
            EXPECT_EQ(t.y, 0);
            EXPECT_EQ(t.cx, 247);
            EXPECT_EQ(t.cy, 81);
            EXPECT_TRUE(t.menuOrdinal == -1 && t.menu.empty()) << "a menu";
            EXPECT_TRUE(t.classOrdinal == -1 && t.windowClass.empty()) << "a window class";
            EXPECT_EQ(t.title, set.title);
            EXPECT_EQ(t.pointSize, 8);
            EXPECT_EQ(t.weight, 0);
            EXPECT_EQ(t.italic, 0);
            EXPECT_EQ(t.charset, 1);
            EXPECT_EQ(t.typeface, "MS Sans Serif");
        }
    }
}

TEST_F(ResourcesTest, EveryDialogTemplateHasItsItemsInOrderWithTheSetsTextsAndLayout) {
    for (const LanguageSet& set : AllSets()) {
        for (WORD dialog : kDialogIds) {
            std::string where = SetName(set.language) + ", dialog " + std::to_string(dialog);
            Template t = LoadTemplate(dialog, set.language);
            std::vector<Item> expected = ExpectedItems(dialog, set);
            ASSERT_EQ(t.items.size(), expected.size()) << where;
            for (std::size_t i = 0; i < expected.size(); ++i) {
                ExpectItem(t.items[i], expected[i], where + ", item " + std::to_string(i + 1));
            }
        }
    }
}

TEST_F(ResourcesTest, StringTableHoldsTheSetsStringsTwoToFiveAndNothingElse) {
    for (const LanguageSet& set : AllSets()) {
        SCOPED_TRACE(SetName(set.language));
        bool complete = false;
        std::vector<std::string> strings;
        for (const std::u16string& text :
             ReadStringBlock(LoadBytes(RT_STRING, 1, set.language), &complete)) {
            strings.push_back(Utf8(text));
        }
        EXPECT_TRUE(complete) << "the block holds more than sixteen strings";
        EXPECT_EQ(strings, ExpectedStrings(set));
    }
}

TEST_F(ResourcesTest, NoTextHasMarkupControlsOuterBlanksOrCharactersOutsideWindows1252) {
    for (const LanguageSet& set : AllSets()) {
        for (const std::u16string& text : VisibleTexts(set.language)) {
            std::string where = SetName(set.language) + ": \"" + Utf8(text) + "\"";
            ASSERT_FALSE(text.empty()) << where;
            EXPECT_NE(text.front(), u' ') << where;
            EXPECT_NE(text.back(), u' ') << where;
            EXPECT_LE(text.size(), 255u) << where;
            for (char16_t unit : text) {
                bool windows1252 = (unit >= 0x20 && unit <= 0x7E) || (unit >= 0xA0 && unit <= 0xFF);
                EXPECT_TRUE(windows1252) << where << " holds U+" << std::hex << unit;
                EXPECT_EQ(std::u16string(u"%&").find(unit), std::u16string::npos) << where;
            }
        }
    }
}

TEST_F(ResourcesTest, CzechAndFinnishSetsAreTheEnglishSetByteForByte) {
    const std::pair<LPCSTR, WORD> resources[] = {{RT_DIALOG, IDD_CONFIRM_REMOVAL},
                                                 {RT_DIALOG, IDD_DEVICE_NOT_FOUND},
                                                 {RT_DIALOG, IDD_CHOOSE_DEVICE},
                                                 {RT_STRING, 1}};
    for (WORD copy : {WORD{0x0405}, WORD{0x040B}}) {
        for (const auto& [type, name] : resources) {
            EXPECT_EQ(LoadBytes(type, name, copy), LoadBytes(type, name, DEFAULT_RESOURCE_LANGUAGE))
                << SetName(copy) << ", type " << LOWORD(type) << " number " << name;
        }
    }
}

TEST_F(ResourcesTest, LongestTextIsTheFrenchPrivilegeMessage) {
    std::size_t longest = 0;
    for (const LanguageSet& set : AllSets()) {
        for (const std::u16string& text : VisibleTexts(set.language)) {
            longest = std::max(longest, text.size());
        }
    }
    EXPECT_EQ(longest, 164u);
    EXPECT_EQ(Ansi(AllSets()[6].noPrivileges).size(), 164u);
}

// ---------------------------------------------------------------------------------------------
// Images.

const BYTE kStandardPalette[16][3] = {  // red, green, blue
    {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
    {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
    {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};

struct DibHeader {
    DWORD size = 0;
    LONG width = 0, height = 0;
    WORD planes = 0, bitCount = 0;
    DWORD compression = 0;
};

DibHeader ReadDibHeader(const Bytes& bytes) {
    Reader in(bytes);
    DibHeader h;
    h.size = in.Dword();
    h.width = static_cast<LONG>(in.Dword());
    h.height = static_cast<LONG>(in.Dword());
    h.planes = in.Word();
    h.bitCount = in.Word();
    h.compression = in.Dword();
    return h;
}

void ExpectStandardPalette(const Bytes& dib, const std::string& where) {
    ASSERT_GE(dib.size(), 40u + 64u) << where;
    for (int i = 0; i < 16; ++i) {
        const BYTE* quad = &dib[40 + 4 * i];  // blue, green, red, reserved
        EXPECT_EQ(quad[2], kStandardPalette[i][0]) << where << ", colour " << i;
        EXPECT_EQ(quad[1], kStandardPalette[i][1]) << where << ", colour " << i;
        EXPECT_EQ(quad[0], kStandardPalette[i][2]) << where << ", colour " << i;
        EXPECT_EQ(quad[3], 0) << where << ", colour " << i;
    }
}

// The palette indexes of a 4-bit bottom-up DIB's colour bits, top row first.
std::vector<std::vector<int>> Pixels(const Bytes& dib, int width, int height) {
    int stride = (width * 4 + 31) / 32 * 4;
    std::vector<std::vector<int>> rows(height, std::vector<int>(width));
    for (int y = 0; y < height; ++y) {
        const BYTE* row = &dib[40 + 64 + (height - 1 - y) * stride];
        for (int x = 0; x < width; ++x) rows[y][x] = x % 2 ? row[x / 2] & 0xF : row[x / 2] >> 4;
    }
    return rows;
}

int CountColour(const std::vector<std::vector<int>>& pixels, int colour) {
    int count = 0;
    for (const auto& row : pixels) {
        for (int pixel : row) count += pixel == colour;
    }
    return count;
}

struct IconImage {
    int width;
    DWORD bytes;
};
const IconImage kIconImages[] = {{32, 744}, {16, 296}};

TEST_F(ResourcesTest, IconGroupListsA32And16PixelSixteenColourImage) {
    Bytes group = LoadBytes(RT_GROUP_ICON, IDR_MAINFRAME, DEFAULT_RESOURCE_LANGUAGE);
    Reader in(group);
    EXPECT_EQ(in.Word(), 0);  // reserved
    EXPECT_EQ(in.Word(), 1);  // icons
    ASSERT_EQ(in.Word(), 2);
    for (const IconImage& image : kIconImages) {
        SCOPED_TRACE("image of " + std::to_string(image.width) + " pixels");
        EXPECT_EQ(in.Byte(), image.width);
        EXPECT_EQ(in.Byte(), image.width);
        EXPECT_EQ(in.Byte(), 16);  // colours
        EXPECT_EQ(in.Byte(), 0);
        EXPECT_EQ(in.Word(), 1);  // planes
        EXPECT_EQ(in.Word(), 4);  // bits per pixel
        EXPECT_EQ(in.Dword(), image.bytes);
        WORD number = in.Word();
        Bytes dib = LoadBytes(RT_ICON, number, DEFAULT_RESOURCE_LANGUAGE);
        EXPECT_EQ(dib.size(), image.bytes);
    }
    EXPECT_TRUE(in.ok());
    EXPECT_EQ(in.at(), group.size());
}

TEST_F(ResourcesTest, IconImagesAreMaskedSixteenColourBitmaps) {
    Bytes group = LoadBytes(RT_GROUP_ICON, IDR_MAINFRAME, DEFAULT_RESOURCE_LANGUAGE);
    for (int i = 0; i < 2; ++i) {
        const IconImage& image = kIconImages[i];
        std::string where = "image of " + std::to_string(image.width) + " pixels";
        Reader entry(group, 6 + 14 * i + 12);
        Bytes dib = LoadBytes(RT_ICON, entry.Word(), DEFAULT_RESOURCE_LANGUAGE);
        DibHeader h = ReadDibHeader(dib);
        EXPECT_EQ(h.size, 40u) << where;
        EXPECT_EQ(h.width, image.width) << where;
        EXPECT_EQ(h.height, 2 * image.width) << where << ": colour bits and mask";
        EXPECT_EQ(h.planes, 1) << where;
        EXPECT_EQ(h.bitCount, 4) << where;
        EXPECT_EQ(h.compression, 0u) << where;
        ExpectStandardPalette(dib, where);
        // The mask follows the colour bits: rows of 32-bit aligned 1-bit pixels.
        std::size_t maskStart = 40 + 64 + image.width * image.width / 2;
        ASSERT_EQ(dib.size(), maskStart + image.width * 4u) << where;
        int transparent = 0;
        for (std::size_t at = maskStart; at < dib.size(); ++at) {
            for (int bit = 0; bit < 8; ++bit) transparent += dib[at] >> bit & 1;
        }
        EXPECT_GT(transparent, 0) << where << ": nothing is transparent";
        auto pixels = Pixels(dib, image.width, image.width);
        EXPECT_GT(CountColour(pixels, 9), image.width) << where << ": no red cross";
        EXPECT_GT(CountColour(pixels, 12), 0) << where << ": no blue screen";
    }
}

TEST_F(ResourcesTest, CardPictureIsA32By21SixteenColourBottomUpBitmap) {
    Bytes dib = LoadBytes(RT_BITMAP, IDB_CARD, DEFAULT_RESOURCE_LANGUAGE);
    ASSERT_EQ(dib.size(), 440u);
    DibHeader h = ReadDibHeader(dib);
    EXPECT_EQ(h.size, 40u);
    EXPECT_EQ(h.width, 32);
    EXPECT_EQ(h.height, 21) << "positive: stored bottom-up";
    EXPECT_EQ(h.planes, 1);
    EXPECT_EQ(h.bitCount, 4);
    EXPECT_EQ(h.compression, 0u) << "BI_RGB";
    ExpectStandardPalette(dib, "card");
    auto pixels = Pixels(dib, 32, 21);
    const std::pair<int, const char*> colours[] = {
        {2, "green board"}, {9, "red lamps"}, {11, "yellow contacts"}, {7, "light grey"}};
    for (const auto& [colour, what] : colours) {
        EXPECT_GT(CountColour(pixels, colour), 0) << "no " << what;
    }
    EXPECT_EQ(pixels[20][0], 7) << "light grey around the card";
}

TEST_F(ResourcesTest, ImagesExistOnlyInTheDefaultSet) {
    const std::pair<LPCSTR, WORD> images[] = {{RT_GROUP_ICON, IDR_MAINFRAME},
                                              {RT_BITMAP, IDB_CARD}};
    for (const auto& [type, name] : images) {
        EXPECT_EQ(FindResourceExA(nullptr, type, MAKEINTRESOURCEA(name), 0x0407), nullptr);
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_LANG_NOT_FOUND));
    }
}

// ---------------------------------------------------------------------------------------------
// Version record.

struct VersionBlock {
    std::string key;
    WORD valueLength = 0, type = 0;
    std::size_t valueAt = 0, end = 0, childrenAt = 0;
};

// A version block: length, value length, type, key, value, then its children, each aligned.
VersionBlock ReadVersionBlock(const Bytes& bytes, std::size_t at) {
    Reader in(bytes, at);
    VersionBlock block;
    block.end = at + in.Word();
    block.valueLength = in.Word();
    block.type = in.Word();
    block.key = Utf8(in.String());
    in.AlignDword();
    block.valueAt = in.at();
    std::size_t valueBytes = block.type == 1 ? block.valueLength * 2u : block.valueLength;
    block.childrenAt = (block.valueAt + valueBytes + 3) & ~std::size_t{3};
    return block;
}

std::vector<VersionBlock> Children(const Bytes& bytes, const VersionBlock& parent) {
    std::vector<VersionBlock> children;
    for (std::size_t at = parent.childrenAt; at < parent.end && at < bytes.size();) {
        children.push_back(ReadVersionBlock(bytes, at));
        at = (children.back().end + 3) & ~std::size_t{3};
    }
    return children;
}

TEST_F(ResourcesTest, VersionRecordHasTheFixedPartOfVersion1001) {
    Bytes bytes = LoadBytes(RT_VERSION, 1, 0x0409);
    VersionBlock root = ReadVersionBlock(bytes, 0);
    EXPECT_EQ(root.key, "VS_VERSION_INFO");
    ASSERT_EQ(root.valueLength, 52);
    Reader fixed(bytes, root.valueAt);
    const std::pair<const char*, DWORD> fields[] = {{"signature", 0xFEEF04BD},
                                                    {"structure version", 0x00010000},
                                                    {"file version MS", 0x00010000},
                                                    {"file version LS", 0x00000001},
                                                    {"product version MS", 0x00010000},
                                                    {"product version LS", 0x00000001},
                                                    {"flags mask", 0x3F},
                                                    {"flags", 0},
                                                    {"OS", 0x4},
                                                    {"type", 0x1},
                                                    {"subtype", 0},
                                                    {"date MS", 0},
                                                    {"date LS", 0}};
    for (const auto& [name, value] : fields) EXPECT_EQ(fixed.Dword(), value) << name;
}

TEST_F(ResourcesTest, VersionRecordHasTheEnglishStringTableAndTranslation) {
    Bytes bytes = LoadBytes(RT_VERSION, 1, 0x0409);
    std::vector<VersionBlock> sections = Children(bytes, ReadVersionBlock(bytes, 0));
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[0].key, "StringFileInfo");
    std::vector<VersionBlock> tables = Children(bytes, sections[0]);
    ASSERT_EQ(tables.size(), 1u);
    EXPECT_EQ(tables[0].key, "040904b0");
    std::vector<std::pair<std::string, std::string>> values;
    for (const VersionBlock& value : Children(bytes, tables[0])) {
        Reader text(bytes, value.valueAt);
        values.emplace_back(value.key, value.valueLength == 0 ? "" : Utf8(text.String()));
    }
    std::vector<std::pair<std::string, std::string>> expected = {
        {"Comments", ""},
        {"CompanyName", ""},
        {"FileVersion", "1, 0, 0, 1"},
        {"InternalName", "Uninstall"},
        {"LegalTrademarks", ""},
        {"OriginalFilename", "Uninstall.EXE"},
        {"PrivateBuild", ""},
        {"ProductName", "Uninstall Application"},
        {"ProductVersion", "1, 0, 0, 1"},
        {"SpecialBuild", ""}};
    EXPECT_EQ(values, expected);

    EXPECT_EQ(sections[1].key, "VarFileInfo");
    std::vector<VersionBlock> variables = Children(bytes, sections[1]);
    ASSERT_EQ(variables.size(), 1u);
    EXPECT_EQ(variables[0].key, "Translation");
    ASSERT_EQ(variables[0].valueLength, 4);
    Reader translation(bytes, variables[0].valueAt);
    EXPECT_EQ(translation.Word(), 0x0409);
    EXPECT_EQ(translation.Word(), 1200);
}

// ---------------------------------------------------------------------------------------------
// The loader.

TEST_F(ResourcesTest, FindResourceExTellsWhichPartOfTheLookupIsMissing) {
    struct Case {
        LPCSTR type;
        WORD name;
        WORD language;
        DWORD error;
    };
    const Case cases[] = {
        {MAKEINTRESOURCEA(9), 1, 0x1009, ERROR_RESOURCE_TYPE_NOT_FOUND},  // no accelerators
        {RT_DIALOG, 999, 0x1009, ERROR_RESOURCE_NAME_NOT_FOUND},
        {RT_STRING, 2, 0x1009, ERROR_RESOURCE_NAME_NOT_FOUND},  // only block 1 exists
        {RT_DIALOG, IDD_CHOOSE_DEVICE, 0x0409, ERROR_RESOURCE_LANG_NOT_FOUND},
        {RT_STRING, 1, 0x0816, ERROR_RESOURCE_LANG_NOT_FOUND},
        {RT_VERSION, 1, 0x1009, ERROR_RESOURCE_LANG_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("type " + std::to_string(LOWORD(c.type)) + " number " +
                     std::to_string(c.name) + " " + SetName(c.language));
        SetLastError(0);
        EXPECT_EQ(FindResourceExA(nullptr, c.type, MAKEINTRESOURCEA(c.name), c.language), nullptr);
        EXPECT_EQ(GetLastError(), c.error);
    }
}

TEST_F(ResourcesTest, FoundResourceLoadsTheSameBytesFromEitherModuleHandle) {
    HRSRC byNull = FindResourceExA(nullptr, RT_BITMAP, MAKEINTRESOURCEA(IDB_CARD), 0x1009);
    HRSRC byModule =
        FindResourceExA(GetModuleHandleA(nullptr), RT_BITMAP, MAKEINTRESOURCEA(IDB_CARD), 0x1009);
    ASSERT_NE(byNull, nullptr);
    EXPECT_EQ(byNull, byModule);
    EXPECT_EQ(SizeofResource(nullptr, byNull), 440u);
    EXPECT_EQ(LockResource(LoadResource(nullptr, byNull)),
              LockResource(LoadResource(GetModuleHandleA(nullptr), byModule)));
    EXPECT_TRUE(machine.WasCalledWith("FindResourceExA", "type=2 name=136 lang=0x1009"));
}

TEST_F(ResourcesTest, LoadIconGivesTheApplicationIconsHandle) {
    HICON icon = LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon, sim::IconHandle(IDR_MAINFRAME));
    EXPECT_EQ(sim::IconResourceId(icon), IDR_MAINFRAME);
    EXPECT_TRUE(machine.WasCalledWith("LoadIconA", "128"));
}

TEST_F(ResourcesTest, LoadIconOfAMissingGroupFails) {
    EXPECT_EQ(LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(IDB_CARD)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(sim::IconResourceId(nullptr), 0);
}

TEST_F(ResourcesTest, InjectedFindResourceFaultIsReported) {
    machine.FailCall("FindResourceExA", 1, ERROR_RESOURCE_DATA_NOT_FOUND);
    EXPECT_EQ(FindResourceExA(nullptr, RT_STRING, MAKEINTRESOURCEA(1), 0x1009), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
    EXPECT_NE(FindResourceExA(nullptr, RT_STRING, MAKEINTRESOURCEA(1), 0x1009), nullptr);
}

// ---------------------------------------------------------------------------------------------
// Lookups in the chosen language set.

std::string TitleOf(HRSRC found) {
    if (found == nullptr) return "(not found)";
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
    return ReadTemplate(Bytes(data, data + SizeofResource(nullptr, found))).title;
}

TEST_F(ResourcesTest, FindResourceTakesTheThreadsSetOrFallsBackToTheDefaultSet) {
    struct Case {
        LCID threadLocale;
        const char* title;
    };
    const Case cases[] = {
        {0x0407, "Deinstallation der TAVRO karte"},
        {0x0416, "Desinstalar placa Tavro"},
        {0x0405, "Uninstall TAVRO card"},
        {0x1009, "Uninstall TAVRO card"},
        {0x0409, "Uninstall TAVRO card"},  // no set of its own
        {0x0816, "Uninstall TAVRO card"},
        {0x0411, "Uninstall TAVRO card"},
        {0x0001040C, "Désinstaller la carte TAVRO"},  // the sort id is not part of the language
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("thread locale " + SetName(static_cast<WORD>(c.threadLocale)));
        machine.threadLocale = c.threadLocale;
        HRSRC found = AfxFindResource(RT_DIALOG, MAKEINTRESOURCEA(IDD_CHOOSE_DEVICE));
        EXPECT_EQ(TitleOf(found), c.title);
    }
}

TEST_F(ResourcesTest, FindResourceAsksForTheThreadsLanguageFirst) {
    machine.threadLocale = 0x040C;
    EXPECT_NE(AfxFindResource(RT_GROUP_ICON, MAKEINTRESOURCEA(IDR_MAINFRAME)), nullptr);
    std::vector<std::string> lookups;
    for (const sim::Call& call : machine.calls) {
        if (call.function == "FindResourceExA") lookups.push_back(call.detail);
    }
    EXPECT_EQ(lookups, (std::vector<std::string>{"type=14 name=128 lang=0x040C",
                                                 "type=14 name=128 lang=0x1009"}));
}

TEST_F(ResourcesTest, FindResourceOfAMissingResourceFailsInBothSets) {
    machine.threadLocale = 0x0407;
    EXPECT_EQ(AfxFindResource(RT_DIALOG, MAKEINTRESOURCEA(999)), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
    EXPECT_EQ(machine.CountCalls("FindResourceExA"), 2);
}

TEST_F(ResourcesTest, LoadStringGivesEveryStringOfTheChosenSetInTheAnsiCodePage) {
    for (const LanguageSet& set : AllSets()) {
        machine.threadLocale = set.language;
        std::vector<std::string> expected = ExpectedStrings(set);
        for (UINT id = IDS_APP_CAPTION; id <= IDS_CANNOT_REMOVE; ++id) {
            char buffer[256];
            int length = AfxLoadString(id, buffer, sizeof buffer);
            std::string ansi = Ansi(expected[id]);
            EXPECT_EQ(std::string(buffer), ansi) << SetName(set.language) << ", string " << id;
            EXPECT_EQ(length, static_cast<int>(ansi.size()))
                << SetName(set.language) << ", string " << id;
        }
    }
}

TEST_F(ResourcesTest, LoadStringFallsBackToTheDefaultSetForALanguageWithoutOne) {
    machine.threadLocale = 0x0816;
    char buffer[256];
    EXPECT_EQ(AfxLoadString(IDS_UNKNOWN_DRIVER, buffer, sizeof buffer), 21);
    EXPECT_STREQ(buffer, "Unknown device driver");
}

TEST_F(ResourcesTest, LoadStringCutsALongStringToTheBuffer) {
    machine.threadLocale = 0x040C;
    struct Case {
        int bufferMax;
        const char* text;
    };
    const Case cases[] = {{1, ""}, {2, "L"}, {11, "Le program"}, {13, "Le programme"}};
    for (const Case& c : cases) {
        char buffer[32];
        std::memset(buffer, 'x', sizeof buffer);
        int length = AfxLoadString(IDS_NO_PRIVILEGES, buffer, c.bufferMax);
        EXPECT_STREQ(buffer, c.text) << "buffer of " << c.bufferMax;
        EXPECT_EQ(length, c.bufferMax - 1) << "buffer of " << c.bufferMax;
        EXPECT_EQ(buffer[c.bufferMax], 'x') << "wrote past a buffer of " << c.bufferMax;
    }
}

TEST_F(ResourcesTest, LoadStringOfAnAbsentStringGivesAnEmptyText) {
    machine.threadLocale = 0x0407;
    const UINT absent[] = {0, 1, 6, 15, 16, 100, 0xFFFF};
    for (UINT id : absent) {
        char buffer[8] = "garbage";
        EXPECT_EQ(AfxLoadString(id, buffer, sizeof buffer), 0) << "string " << id;
        EXPECT_STREQ(buffer, "") << "string " << id;
    }
}

}  // namespace
