// What the benchmark programs share: the clock, medians, the documents they
// measure on, and the end of a run whose measurement cannot be made.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// Seconds on the performance counter.
double Now();

double Median(std::vector<double> values);
// The values one by one, for the results table ("0.512, 0.498, 0.530").
std::string ListValues(const std::vector<double>& values, const char* format);

// Ends the run: a number that was not measured must not reach the results.
[[noreturn]] void Fail(const char* format, ...);

// printf into a string.
std::string Printf(const char* format, ...);
// One row of a Markdown table.
std::string Row(const std::vector<std::string>& cells);
std::string Verdict(bool met);

double Smallest(const std::vector<double>& values);

// Notes on targets the measurements missed, with the figures that explain
// them; the results end with them.
void Note(const std::string& text);
std::string Notes();

std::wstring TempPath(const std::wstring& name);
void WriteBytes(const std::wstring& path, const void* data, size_t size);
std::vector<BYTE> ReadBytes(const std::wstring& path);

// The last words of every document and nowhere else in it, in either case.
extern const wchar_t kDocumentEnd[];

// A document of exactly bytes bytes: plain English lines, ending in
// kDocumentEnd. ANSI, or UTF-16LE behind a byte-order mark. Returns the
// number of characters the edit control holds once it is loaded.
size_t WriteDocument(const std::wstring& path, size_t bytes, bool unicode);

// The documents that only the wider loader reads: UTF-8 without a mark, and
// ANSI with LF line ends.
enum EncodedKind { kUtf8Document, kLfDocument };
const char* EncodedKindName(EncodedKind kind);
// A document of exactly bytes bytes of that kind, plain lines with accented
// and Japanese words in UTF-8, ending in kDocumentEnd. Returns the number of
// characters the edit control holds once it is loaded (line ends as CR LF);
// floorPath, when not empty, receives that same text as UTF-16LE behind a
// byte-order mark, for the floor program.
size_t WriteEncodedDocument(const std::wstring& path, size_t bytes, EncodedKind kind, const std::wstring& floorPath);

// Lines of 100 characters with one "fox" each, count of them, then lines
// without it up to length characters.
std::wstring FoxText(size_t length, size_t count);

// The program's frame made in this process as the program makes it at
// start-up, shown, with its first messages handled.
HWND MakeShownFrame();

// Opens path as the document with the program's loader, as a user who
// answers Yes to the question asked before a long layout (answered inside
// the thread, at once); fails the benchmark when it cannot be read.
void OpenAnsweringYes(HWND window, const std::wstring& path);
