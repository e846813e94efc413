// A tiny builder of extended dialog templates in memory, for tests of the window system and the
// dialog classes that need dialogs the program does not have.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32.h"

class DialogTemplate {
public:
    static const WORD kButton = 0x0080;
    static const WORD kStatic = 0x0082;
    static const WORD kComboBox = 0x0085;
    static const DWORD kDialogStyle = 0x90C800C0;  // popup, visible, caption, close box, font
    static const DWORD kOkStyle = 0x50010001;      // default push button with a tab stop
    static const DWORD kCancelStyle = 0x50010000;
    static const DWORD kTextStyle = 0x50020000;

    explicit DialogTemplate(std::string title, DWORD style = kDialogStyle)
        : title_(std::move(title)), style_(style) {}

    DialogTemplate& Control(int id, WORD classOrdinal, std::string text, DWORD style) {
        controls_.push_back(Item{id, classOrdinal, std::move(text), style});
        return *this;
    }
    DialogTemplate& Ok() { return Control(IDOK, kButton, "OK", kOkStyle); }
    DialogTemplate& Cancel() { return Control(IDCANCEL, kButton, "Cancel", kCancelStyle); }

    // The template bytes; valid while the builder lives and is not changed.
    LPCDLGTEMPLATEA Get() {
        bytes_.clear();
        Word(1);
        Word(0xFFFF);
        Dword(0);  // help id
        Dword(0);  // extended style
        Dword(style_);
        Word(static_cast<WORD>(controls_.size()));
        for (short value : {0, 0, 247, 81}) Word(static_cast<WORD>(value));
        Word(0);  // no menu
        Word(0);  // the standard dialog class
        Text(title_);
        if ((style_ & DS_SETFONT) != 0) Font();
        for (const Item& item : controls_) Append(item);
        return reinterpret_cast<LPCDLGTEMPLATEA>(bytes_.data());
    }

private:
    struct Item {
        int id;
        WORD classOrdinal;
        std::string text;
        DWORD style;
    };

    void Word(WORD value) { Raw(&value, sizeof value); }
    void Dword(DWORD value) { Raw(&value, sizeof value); }
    void Raw(const void* data, std::size_t size) {
        const BYTE* bytes = static_cast<const BYTE*>(data);
        bytes_.insert(bytes_.end(), bytes, bytes + size);
    }
    void Text(const std::string& text) {
        for (unsigned char c : text) Word(c);
        Word(0);
    }
    void Font() {
        Word(8);
        Word(0);
        Word(0x0100);  // not italic, character set 1
        Text("MS Sans Serif");
    }
    void Append(const Item& item) {
        while (bytes_.size() % 4 != 0) bytes_.push_back(0);
        Dword(0);
        Dword(0);
        Dword(item.style);
        for (short value : {10, 10, 50, 14}) Word(static_cast<WORD>(value));
        Dword(static_cast<DWORD>(item.id));
        Word(0xFFFF);
        Word(item.classOrdinal);
        Text(item.text);
        Word(0);  // no creation data
    }

    std::string title_;
    DWORD style_;
    std::vector<Item> controls_;
    std::vector<BYTE> bytes_;
};
