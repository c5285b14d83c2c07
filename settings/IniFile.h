#pragma once

// Windows-style INI files ("private profile" files), read and edited without disturbing
// anything the program did not ask to change.
//
// Format: a section starts with a line "[name]"; inside it, "key=value" lines. Section and
// key names compare without regard to ASCII letter case; the first of duplicated sections
// or keys wins. A value is the text after the first '=' with surrounding blanks (space,
// tab) removed. Lines starting with ';' (after blanks) are comments. Everything else is
// kept as it is and ignored.
//
// Encodings: UTF-8 with or without BOM, and UTF-16LE with BOM, are read; a file is written
// back in the encoding (and BOM) it had, a new file as UTF-8 without BOM. Line ends (CRLF or
// LF, per line) are kept; new lines take the file's first line end, CRLF in a new file.
//
// Editing rules: writing a key that exists replaces its value in place; a new key goes
// after the last entry of its section; a new section goes at the end of the file. Every
// other byte of the file stays as it was.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/FileResult.h"

namespace trq::settings {

enum class TextEncoding { Utf8, Utf8Bom, Utf16LeBom };

// An INI file's text held in memory line by line, so that it can be written back byte
// for byte apart from the edits made. Text is UTF-8 inside; names and values in and out
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
    std::string Read(std::string_view section, std::string_view key,
                     std::size_t bufferChars) const;

    // Sets a key's value by the editing rules above, creating key and section as needed.
    void Write(std::string_view section, std::string_view key, std::string_view value);

    bool HasSection(std::string_view section) const;
    TextEncoding encoding() const { return encoding_; }

private:
    struct Line {
        std::string text;  // UTF-8, without its line end
        std::string end;   // "\r\n", "\n" or "" (last line without one)
    };
    struct Range {
        std::size_t header;  // index of the "[name]" line
        std::size_t end;     // one past the section's last line
    };

    std::optional<Range> FindSection(std::string_view section) const;
    std::optional<std::size_t> FindKeyLine(const Range& range, std::string_view key) const;
    const std::string& NewLineEnd() const;

    std::vector<Line> lines_;
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

IniLoadResult LoadIniFile(const std::filesystem::path& path);

// Writes the document as the whole file: to a temporary file in the same folder, then
// renamed over the old one, so the old file stays whole when anything fails. A file whose
// permissions have no write bit is read-only: it is not replaced (ReadOnly).
FileResult SaveIniFile(const std::filesystem::path& path, const IniDocument& document);

// Loads the file (a missing one as empty), applies `edit` and saves it, all under the
// lock. An unreadable existing file is not overwritten (ReadFailed).
FileResult UpdateIniFile(const std::filesystem::path& path,
                         const std::function<void(IniDocument&)>& edit);

// The private-profile pair: a read never fails (missing file, section or key read as "").
std::string ReadIniString(const std::filesystem::path& path, std::string_view section,
                          std::string_view key, std::size_t bufferChars);
FileResult WriteIniString(const std::filesystem::path& path, std::string_view section,
                          std::string_view key, std::string_view value);

// The C library's decimal text-to-int conversion of the first `maxChars` characters of
// `text`: blanks skipped, optional sign, digits up to the first non-digit; 0 when there
// are none. Saturates instead of overflowing.
int ParseIniInt(std::string_view text, std::size_t maxChars);

}  // namespace trq::settings
