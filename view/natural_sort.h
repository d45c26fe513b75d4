// Natural order of page names: runs of ASCII digits compare by numeric value (any
// length, leading zeros ignored), everything else character by character without
// regard to letter case.
//
// LogicalCompare is the comparison the page list sorts with: the platform's
// logical string comparison on Windows (StrCmpLogicalW), NaturalCompare in the
// native build. NaturalCompare is the portable model of it, written against what
// StrCmpLogicalW answers: digit runs sort before any other character; then the
// ASCII punctuation in the platform's collation order (apostrophe, hyphen, space,
// ! " # $ % & ( ) * , . / : ; ? @ [ \ ] ^ _ ` { | } ~ + < = >); then the letters,
// Latin (accented Latin-1 letters right after their base letter, ß after s, þ
// after t), Greek, Cyrillic (the extra Cyrillic letters after their base letter),
// each folded to one case; then every other character by code unit. Outside the
// Latin-1, Greek and Cyrillic letters and the ASCII punctuation the two can
// differ (kana, ideographs, Latin Extended letters keep code-unit order here).
//
// Both return <0, 0 or >0; 0 means equal in this order (for example "01" and
// "1", or "A" and "a"), which the page sort leaves in listing order.
#pragma once

#include <cstdint>

int NaturalCompare(const char16_t* a, const char16_t* b);
int LogicalCompare(const char16_t* a, const char16_t* b);
