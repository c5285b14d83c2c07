#pragma once

// Windows-style INI files ("private profile" files), read and edited without disturbing
// anything the program did not ask to change.
//
// Format: a section starts with a line "[name]" (the name runs to the line's last ']');
// inside it, "key=value" lines. Section and key names compare without regard to ASCII letter
// case and without their surrounding blanks (space, tab); the first of duplicated sections
// or keys wins. A value is the text after the first '=' with surrounding blanks removed.
// Lines starting with ';' (after blanks) are comments. Lines before the first section and
// everything else are kept as they are and ignored.
//
// Encodings: UTF-8 with or without BOM, and UTF-16LE with BOM, are read; a file is written
// back in the encoding (and BOM) it had, a new file as UTF-8 without BOM. Line ends (CRLF or
// LF, per line) are kept; new lines take the file's first line end, CRLF in a new file.
// Bytes that are not valid UTF-8 (or UTF-16) survive untouched: lone UTF-16 surrogates are
// held as their three-byte UTF-8 forms (WTF-8), an odd last byte of a UTF-16 file is kept.
//
// Editing rules: writing a key that exists replaces its value in place (the line keeps its
// text up to the '=' and the blanks after it, and its line end); a new key goes right after
// the last line of its section that is neither blank nor a comment (after the header if
// there is none); a new section goes at the end of the file, with no blank line before it.
// A last line without a line end gets one before anything is added after it. Every other
// byte of the file stays as it was.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileResult.h"

namespace trq::base {

enum class TextEncoding { Utf8, Utf8Bom, Utf16LeBom };

// An INI file's text held in memory, so that it can be written back byte for byte apart
// from the edits made. Text is UTF-8 inside; names and values in and out
// are UTF-8.
class IniDocument {
  public:
    IniDocument() = default;

    // Never fails: any bytes make a document (unparseable lines are kept as text).
    static IniDocument FromBytes(std::string_view bytes);
    // The file's bytes in its own encoding; FromBytes(x).ToBytes() == x for every x.
    std::string ToBytes() const;

    // The trimmed value of a key, or nothing when the section or key is missing.
    std::optional<std::string_view> Find(std::string_view section, std::string_view key) const;

    // Like the private-profile read: the value, or "" when missing, cut to at most
    // bufferChars - 1 characters (code points; never inside a UTF-8 sequence).
    std::string Read(std::string_view section, std::string_view key, std::size_t bufferChars) const;

    // Sets a key's value by the editing rules above, creating key and section as needed
    // (names are written without their surrounding blanks, the value as given). Returns
    // false and changes nothing when the texts cannot be stored so that they read back:
    // a line break ('\r' or '\n') in any of them, or a key that is empty, contains '=' or
    // starts with ';' or '['. In a UTF-16 file, text that is not valid UTF-8 is stored as
    // U+FFFD.
    bool Write(std::string_view section, std::string_view key, std::string_view value);

    bool HasSection(std::string_view section) const;
    TextEncoding encoding() const { return encoding_; }

  private:
    // A line of text_: its text is [begin, textEnd), its line end [textEnd, next).
    struct Line {
        std::size_t begin;
        std::size_t textEnd;
        std::size_t next;
    };
    struct Range {
        Line header;      // the "[name]" line
        std::size_t end;  // where the section's last line ends
    };

    Line LineFrom(std::size_t begin) const;
    std::string_view TextOf(const Line& line) const;
    std::optional<Range> FindSection(std::string_view section) const;
    std::optional<Line> FindKeyLine(const Range& range, std::string_view key) const;
    std::string NewLineEnd() const;
    // Gives the line a line end if it has none; returns where the next line starts.
    std::size_t EndLine(const Line& line);

    // The text in one piece, line ends included, so that memory stays near the file's size
    // however short its lines are.
    std::string text_;
    TextEncoding encoding_ = TextEncoding::Utf8;
    std::string trailingOddByte_;  // a UTF-16 file with an odd byte count keeps its last byte
};

// --- Files -----------------------------------------------------------------------------
// Every function below holds the one process-wide settings-file lock for its whole run,
// so a read-modify-write never interleaves with another thread's file access.

struct IniLoadResult {
    IniDocument document;  // empty when the file is missing or unreadable
    FileResult result;     // NotFound for a missing file, ReadFailed when unreadable
};

// Reads the file with ReadFileBounded (base/FileIo.h): only a regular file of at most
// kMaxFileBytes is read; anything else is ReadFailed with the reason.
IniLoadResult LoadIniFile(const std::filesystem::path& path);

// Writes the document as the whole file with WriteFileAtomically (base/FileIo.h): the old
// file stays whole when anything fails; a file whose permissions have no write bit is not
// replaced (ReadOnly).
FileResult SaveIniFile(const std::filesystem::path& path, const IniDocument& document);

// Loads the file (a missing one as empty), applies `edit` and saves it, all under the
// lock. An existing file that cannot be read is not overwritten: WriteFailed with the
// reason it could not be read.
FileResult UpdateIniFile(const std::filesystem::path& path,
                         const std::function<void(IniDocument&)>& edit);

// The private-profile pair: a read never fails (missing file, section or key read as "").
// A write of texts that IniDocument::Write refuses changes nothing and gives WriteFailed.
std::string ReadIniString(const std::filesystem::path& path, std::string_view section,
                          std::string_view key, std::size_t bufferChars);
FileResult WriteIniString(const std::filesystem::path& path, std::string_view section,
                          std::string_view key, std::string_view value);

// The C library's decimal text-to-int conversion (atoi) of the first `maxChars` bytes of
// `text`: white space skipped, optional sign, digits up to the first non-digit; 0 when there
// are none. Saturates at INT_MIN / INT_MAX instead of overflowing.
int ParseIniInt(std::string_view text, std::size_t maxChars);

}  // namespace trq::base
