#pragma once
// The one UTF-8 reader of the text paths: this layer's text layout and the raster library's cached
// fonts both read with it, so the same bytes give the same characters, and the same picture, on either.
//
// A well-formed sequence gives its code point. Anything else is its first byte alone, standing for the
// character of that value, and reading goes on at the next byte: a stray continuation byte, a byte that
// starts no sequence (0xC0, 0xC1, 0xF5 and up), an overlong form, a surrogate half (U+D800-U+DFFF), a
// code point past U+10FFFF, or a sequence cut short by a byte that does not continue it or by the end.

// Reads one character from at most avail bytes at p into *code; answers the bytes taken (1 to 4), or 0
// with *code = 0 when avail <= 0. A zero byte is the character 0, one byte long.
int GDI_DecodeUTF8(const char* p, int avail, unsigned int* code);
