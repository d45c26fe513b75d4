#include "settings/key_names.h"

namespace {

struct NamedKey {
    uint8_t key;
    const char16_t* name;
};

// In the key dialog's order.
constexpr NamedKey kNamed[kAssignableKeyCount] = {
    {0x08, u"BackSpace"}, {0x09, u"Tab"},      {0x0D, u"Enter"},   {0x1B, u"Esc"},     {0x20, u"Space"},
    {0x21, u"PageUp"},    {0x22, u"PageDown"}, {0x23, u"End"},     {0x24, u"Home"},    {0x25, u"Left"},
    {0x26, u"Up"},        {0x27, u"Right"},    {0x28, u"Down"},    {0x2D, u"Insert"},  {0x2E, u"Delete"},
    {0xF0, u"CapsLock"},  {0xBA, u":"},        {0xBB, u";"},       {0xBC, u","},       {0xBD, u"-"},
    {0xBE, u"."},         {0xBF, u"/"},        {0xC0, u"@"},       {0xDB, u"["},       {0xDC, u"\\"},
    {0xDD, u"]"},         {0xDE, u"^"},        {0xE2, u"_"},       {0x30, u"0"},       {0x31, u"1"},
    {0x32, u"2"},         {0x33, u"3"},        {0x34, u"4"},       {0x35, u"5"},       {0x36, u"6"},
    {0x37, u"7"},         {0x38, u"8"},        {0x39, u"9"},       {0x41, u"A"},       {0x42, u"B"},
    {0x43, u"C"},         {0x44, u"D"},        {0x45, u"E"},       {0x46, u"F"},       {0x47, u"G"},
    {0x48, u"H"},         {0x49, u"I"},        {0x4A, u"J"},       {0x4B, u"K"},       {0x4C, u"L"},
    {0x4D, u"M"},         {0x4E, u"N"},        {0x4F, u"O"},       {0x50, u"P"},       {0x51, u"Q"},
    {0x52, u"R"},         {0x53, u"S"},        {0x54, u"T"},       {0x55, u"U"},       {0x56, u"V"},
    {0x57, u"W"},         {0x58, u"X"},        {0x59, u"Y"},       {0x5A, u"Z"},       {0x70, u"F1"},
    {0x71, u"F2"},        {0x72, u"F3"},       {0x73, u"F4"},      {0x74, u"F5"},      {0x75, u"F6"},
    {0x76, u"F7"},        {0x77, u"F8"},       {0x78, u"F9"},      {0x79, u"F10"},     {0x7A, u"F11"},
    {0x7B, u"F12"},       {0x60, u"[Num] 0 "}, {0x61, u"[Num] 1"}, {0x62, u"[Num] 2"}, {0x63, u"[Num] 3"},
    {0x64, u"[Num] 4"},   {0x65, u"[Num] 5"},  {0x66, u"[Num] 6"}, {0x67, u"[Num] 7"}, {0x68, u"[Num] 8"},
    {0x69, u"[Num] 9"},   {0x6A, u"[Num] *"},  {0x6B, u"[Num] +"}, {0x6D, u"[Num] -"}, {0x6E, u"[Num] ."},
    {0x6F, u"[Num] /"},
};

struct NameTable {
    const char16_t* byCode[256]{};
    constexpr NameTable() {
        for (const NamedKey& k : kNamed) {
            byCode[k.key] = k.name;
        }
    }
};
constexpr NameTable kNames;

}  // namespace

const char16_t* ModifierText(uint8_t modifiers) {
    switch (modifiers & 0x0F) {
        case kAccelVirtKey:
            return u"";
        case kAccelVirtKey | kAccelShift:
            return u"Shift+";
        case kAccelVirtKey | kAccelControl:
            return u"Ctrl+";
        case kAccelVirtKey | kAccelControl | kAccelShift:
            return u"Ctrl+Shift+";
        default:
            return u"";
    }
}

const char16_t* KeyName(uint32_t key) {
    const char16_t* name = key < 256 ? kNames.byCode[key] : nullptr;
    return name != nullptr ? name : u"";
}

uint8_t AssignableKey(uint32_t index) {
    return index < kAssignableKeyCount ? kNamed[index].key : 0;
}

void KeyText(const KeyBinding& b, StrBuf* out) {
    out->Assign(u"");
    const char16_t* name = KeyName(b.key);
    if (b.key == 0 || *name == 0) {
        return;
    }
    const char16_t* prefix = ModifierText(b.modifiers);
    // A failed append leaves a shorter text; the name is shown or nothing is.
    if (!out->Append(prefix, TextLength(prefix)) || !out->Append(name, TextLength(name))) {
        out->Assign(u"");
    }
}
