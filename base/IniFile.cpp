#include "base/IniFile.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <mutex>
#include <system_error>

#include "base/FileIo.h"
#include "base/Utf8.h"

namespace trq::base {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kCrLf = "\r\n";
constexpr char32_t kReplacement = 0xFFFD;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size() && IsBlank(text[begin]))
        ++begin;
    return text.substr(begin);
}

std::string_view TrimBlanks(std::string_view text) {
    text = TrimLeft(text);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

bool IsComment(std::string_view line) {
    const std::string_view text = TrimLeft(line);
    return !text.empty() && text.front() == ';';
}

bool IsBlankLine(std::string_view line) {
    return TrimLeft(line).empty();
}

std::optional<std::string_view> SectionName(std::string_view line) {
    const std::string_view text = TrimLeft(line);
    if (text.empty() || text.front() != '[') return std::nullopt;
    const std::size_t close = text.rfind(']');
    if (close == 0 || close == std::string_view::npos) return std::nullopt;
    return TrimBlanks(text.substr(1, close - 1));
}

struct Entry {
    std::string_view key;
    std::size_t equals;  // index of the first '='
};

std::optional<Entry> EntryOf(std::string_view line) {
    if (IsComment(line) || SectionName(line)) return std::nullopt;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    return Entry{TrimBlanks(line.substr(0, equals)), equals};
}

// --- UTF-8 / UTF-16 --------------------------------------------------------------------

struct Sequence {
    std::size_t length;  // 0: no well-formed sequence starts here
    char32_t codePoint;
};

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Decodes one UTF-8 sequence at `pos`. Surrogate code points are accepted: UTF-16 files
// bring them in as WTF-8 and they must survive the way back.
Sequence DecodeAt(std::string_view text, std::size_t pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return {1, lead};
    std::size_t length = 0;
    char32_t cp = 0;
    unsigned char low = 0x80;  // allowed range of the second byte (rules out overlong forms)
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        cp = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        cp = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {0, 0};
    }
    if (text.size() - pos < length) return {0, 0};
    if (byte(1) < low || byte(1) > high) return {0, 0};
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(byte(i))) return {0, 0};
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    return {length, cp};
}

bool IsSurrogate(char32_t cp) {
    return cp >= 0xD800 && cp <= 0xDFFF;
}

void AppendUtf16Le(std::string& out, char32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

// `bytes` has an even length. Pairs become their code point, lone surrogates their WTF-8
// form, so that EncodeUtf16Le gives back the same units.
std::string DecodeUtf16Le(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    const std::size_t count = bytes.size() / 2;
    const auto unit = [&](std::size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    };
    for (std::size_t i = 0; i < count; ++i) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count) {
            const char32_t next = unit(i + 1);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00));
                ++i;
                continue;
            }
        }
        AppendUtf8(out, u);
    }
    return out;
}

std::string EncodeUtf16Le(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t pos = 0; pos < text.size();) {
        const Sequence seq = DecodeAt(text, pos);
        const char32_t cp = seq.length == 0 ? kReplacement : seq.codePoint;
        pos += seq.length == 0 ? 1 : seq.length;
        if (cp >= 0x10000) {
            AppendUtf16Le(out, 0xD800 + ((cp - 0x10000) >> 10));
            AppendUtf16Le(out, 0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            AppendUtf16Le(out, cp);
        }
    }
    return out;
}

// Text meant for a UTF-16 file: anything that is not a well-formed, non-surrogate UTF-8
// sequence becomes U+FFFD, so that it cannot merge with its neighbours on the way out.
std::string ValidUtf8(std::string_view text) {
    std::string out;
    for (std::size_t pos = 0; pos < text.size();) {
        const Sequence seq = DecodeAt(text, pos);
        if (seq.length == 0 || IsSurrogate(seq.codePoint)) {
            AppendUtf8(out, kReplacement);
            pos += seq.length == 0 ? 1 : seq.length;
        } else {
            out.append(text.substr(pos, seq.length));
            pos += seq.length;
        }
    }
    return out;
}

// The longest start of `text` with at most `maxChars` characters; a byte that starts no
// well-formed sequence counts as one character.
std::string_view CutToChars(std::string_view text, std::size_t maxChars) {
    std::size_t pos = 0;
    for (std::size_t chars = 0; chars < maxChars && pos < text.size(); ++chars) {
        const std::size_t length = DecodeAt(text, pos).length;
        pos += length == 0 ? 1 : length;
    }
    return text.substr(0, pos);
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

bool CanStore(std::string_view section, std::string_view key, std::string_view value) {
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return false;
    const std::string_view name = TrimBlanks(key);
    return !name.empty() && name.find('=') == std::string_view::npos && name.front() != ';' &&
           name.front() != '[';
}

}  // namespace

// --- IniDocument -----------------------------------------------------------------------

IniDocument IniDocument::FromBytes(std::string_view bytes) {
    IniDocument doc;
    std::string_view body = bytes;
    if (body.substr(0, kUtf16LeBom.size()) == kUtf16LeBom) {
        doc.encoding_ = TextEncoding::Utf16LeBom;
        body.remove_prefix(kUtf16LeBom.size());
        if (body.size() % 2 != 0) {
            doc.trailingOddByte_ = std::string(1, body.back());
            body.remove_suffix(1);
        }
        doc.text_ = DecodeUtf16Le(body);
        return doc;
    }
    if (body.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        doc.encoding_ = TextEncoding::Utf8Bom;
        body.remove_prefix(kUtf8Bom.size());
    }
    doc.text_ = std::string(body);
    return doc;
}

std::string IniDocument::ToBytes() const {
    switch (encoding_) {
        case TextEncoding::Utf8:
            return text_;
        case TextEncoding::Utf8Bom:
            return std::string(kUtf8Bom) + text_;
        case TextEncoding::Utf16LeBom:
            return std::string(kUtf16LeBom) + EncodeUtf16Le(text_) + trailingOddByte_;
    }
    return text_;
}

IniDocument::Line IniDocument::LineFrom(std::size_t begin) const {
    const std::size_t newline = text_.find('\n', begin);
    if (newline == std::string::npos) return {begin, text_.size(), text_.size()};
    std::size_t textEnd = newline;
    if (textEnd > begin && text_[textEnd - 1] == '\r') --textEnd;
    return {begin, textEnd, newline + 1};
}

std::string_view IniDocument::TextOf(const Line& line) const {
    return std::string_view(text_).substr(line.begin, line.textEnd - line.begin);
}

std::optional<IniDocument::Range> IniDocument::FindSection(std::string_view section) const {
    section = TrimBlanks(section);
    for (std::size_t pos = 0; pos < text_.size();) {
        const Line header = LineFrom(pos);
        pos = header.next;
        const std::optional<std::string_view> name = SectionName(TextOf(header));
        if (!name || !EqualNoCase(*name, section)) continue;
        std::size_t end = header.next;
        while (end < text_.size()) {
            const Line line = LineFrom(end);
            if (SectionName(TextOf(line))) break;
            end = line.next;
        }
        return Range{header, end};
    }
    return std::nullopt;
}

std::optional<IniDocument::Line> IniDocument::FindKeyLine(const Range& range,
                                                          std::string_view key) const {
    key = TrimBlanks(key);
    for (std::size_t pos = range.header.next; pos < range.end;) {
        const Line line = LineFrom(pos);
        pos = line.next;
        const std::optional<Entry> entry = EntryOf(TextOf(line));
        if (entry && EqualNoCase(entry->key, key)) return line;
    }
    return std::nullopt;
}

std::optional<std::string_view> IniDocument::Find(std::string_view section,
                                                  std::string_view key) const {
    const std::optional<Range> range = FindSection(section);
    if (!range) return std::nullopt;
    const std::optional<Line> line = FindKeyLine(*range, key);
    if (!line) return std::nullopt;
    const std::string_view text = TextOf(*line);
    return TrimBlanks(text.substr(text.find('=') + 1));
}

std::string IniDocument::Read(std::string_view section, std::string_view key,
                              std::size_t bufferChars) const {
    if (bufferChars == 0) return {};
    const std::optional<std::string_view> value = Find(section, key);
    if (!value) return {};
    return std::string(CutToChars(*value, bufferChars - 1));
}

bool IniDocument::HasSection(std::string_view section) const {
    return FindSection(section).has_value();
}

std::string IniDocument::NewLineEnd() const {
    const std::size_t newline = text_.find('\n');
    if (newline == std::string::npos) return std::string(kCrLf);
    return newline > 0 && text_[newline - 1] == '\r' ? std::string(kCrLf) : "\n";
}

std::size_t IniDocument::EndLine(const Line& line) {
    if (line.next != line.textEnd) return line.next;
    const std::string end = NewLineEnd();
    text_.insert(line.textEnd, end);
    return line.textEnd + end.size();
}

bool IniDocument::Write(std::string_view section, std::string_view key, std::string_view value) {
    if (!CanStore(section, key, value)) return false;
    const bool utf16 = encoding_ == TextEncoding::Utf16LeBom;
    const std::string sectionName =
        utf16 ? ValidUtf8(TrimBlanks(section)) : std::string(TrimBlanks(section));
    const std::string keyName = utf16 ? ValidUtf8(TrimBlanks(key)) : std::string(TrimBlanks(key));
    const std::string text = utf16 ? ValidUtf8(value) : std::string(value);
    const std::string end = NewLineEnd();

    const std::optional<Range> range = FindSection(sectionName);
    if (!range) {
        if (!text_.empty() && text_.back() != '\n') text_ += end;
        text_ += "[" + sectionName + "]" + end + keyName + "=" + text + end;
        return true;
    }
    if (const std::optional<Line> line = FindKeyLine(*range, keyName)) {
        const std::string_view lineText = TextOf(*line);
        std::size_t keep = lineText.find('=') + 1;
        while (keep < lineText.size() && IsBlank(lineText[keep]))
            ++keep;
        text_.replace(line->begin + keep, lineText.size() - keep, text);
        return true;
    }
    Line after = range->header;
    for (std::size_t pos = range->header.next; pos < range->end;) {
        const Line line = LineFrom(pos);
        pos = line.next;
        if (!IsBlankLine(TextOf(line)) && !IsComment(TextOf(line))) after = line;
    }
    const std::size_t insertAt = EndLine(after);
    text_.insert(insertAt, keyName + "=" + text + end);
    return true;
}

// --- Files -----------------------------------------------------------------------------

namespace {

std::mutex& FileLock() {
    static std::mutex lock;
    return lock;
}

IniLoadResult LoadUnlocked(const fs::path& path) {
    IniLoadResult loaded;
    FileBytes read = ReadFileBounded(path);
    loaded.result = std::move(read.result);
    if (loaded.result.ok()) loaded.document = IniDocument::FromBytes(read.bytes);
    return loaded;
}

// A write that cannot go ahead because the file it would edit cannot be read.
FileResult RefusedWrite(const fs::path& path, FileResult read) {
    std::error_code ec;
    read.error = FileError::WriteFailed;
    read.oldFileKept = fs::is_regular_file(path, ec);
    return read;
}

}  // namespace

IniLoadResult LoadIniFile(const fs::path& path) {
    const std::lock_guard<std::mutex> lock(FileLock());
    return LoadUnlocked(path);
}

FileResult SaveIniFile(const fs::path& path, const IniDocument& document) {
    const std::lock_guard<std::mutex> lock(FileLock());
    return WriteFileAtomically(path, document.ToBytes());
}

FileResult UpdateIniFile(const fs::path& path, const std::function<void(IniDocument&)>& edit) {
    const std::lock_guard<std::mutex> lock(FileLock());
    IniLoadResult loaded = LoadUnlocked(path);
    if (loaded.result.error == FileError::ReadFailed) return RefusedWrite(path, loaded.result);
    edit(loaded.document);
    return WriteFileAtomically(path, loaded.document.ToBytes());
}

std::string ReadIniString(const fs::path& path, std::string_view section, std::string_view key,
                          std::size_t bufferChars) {
    const std::lock_guard<std::mutex> lock(FileLock());
    return LoadUnlocked(path).document.Read(section, key, bufferChars);
}

FileResult WriteIniString(const fs::path& path, std::string_view section, std::string_view key,
                          std::string_view value) {
    const std::lock_guard<std::mutex> lock(FileLock());
    IniLoadResult loaded = LoadUnlocked(path);
    if (loaded.result.error == FileError::ReadFailed) return RefusedWrite(path, loaded.result);
    if (!loaded.document.Write(section, key, value)) {
        FileResult refused = loaded.result;
        refused.error = FileError::WriteFailed;
        refused.reason = "the text cannot be stored in an INI file";
        refused.oldFileKept = loaded.result.ok();
        return refused;
    }
    return WriteFileAtomically(path, loaded.document.ToBytes());
}

int ParseIniInt(std::string_view text, std::size_t maxChars) {
    text = text.substr(0, std::min(maxChars, text.size()));
    std::size_t pos = 0;
    const auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
    while (pos < text.size() && isSpace(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
    long long magnitude = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        magnitude = std::min(magnitude * 10 + (text[pos] - '0'), limit);
    }
    return static_cast<int>(negative ? -magnitude : magnitude);
}

}  // namespace trq::base
