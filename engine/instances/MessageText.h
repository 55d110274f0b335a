#pragma once
// The texts of message windows: the "#" escapes that print common or stage
// variables, and the size a text takes in the message font.
//
// Escape grammar, scanned on code-page-932 bytes (a lead byte always takes the
// byte after it, so a trail byte never starts an escape):
//   "#" { digit | C c S s } [ "_" { digit | Z z | P p } ] [ "." ]
// digits before "_" give the variable number, "C" a common and "S" a stage
// variable (the last letter counts); after "_" a digit is the minimum width
// (the last digit counts), "Z" fills with zeros, "P" prints a plus sign. Any
// other byte ends the escape; a "." that ends it is removed with it.
#include <functional>
#include <string>

class Font;

// Looks a variable up: kind 'C' (common) or 'S' (stage), number 1..1000.
// False when there is no such variable: the escape then stays as written.
using MessageVarLookup = std::function<bool(char kind, int number, int* value)>;

// Replaces the escapes of `text` in place with the looked-up values.
void ExpandMessageVars(std::string& text, const MessageVarLookup& lookup);
// The same with the common variables of SaveData and the stage variables of
// the play scene.
void ExpandMessageVars(std::string& text);

// Size of a text in `font` plus a 2-pixel margin on each axis: a fixed-pitch
// font counts characters (it draws them on its pitch grid), a proportional
// font measures each line's glyphs.
void MeasureMessageText(const Font& font, const std::string& text, int* width, int* height);
// The same with the message font (font 1 of Fonts).
void MeasureMessageText(const std::string& text, int* width, int* height);
