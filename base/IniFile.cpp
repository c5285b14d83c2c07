#include "base/IniFile.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <fstream>
#include <mutex>
#include <random>
#include <system_error>

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

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
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
    std::string decoded;
    std::string_view body = bytes;
    if (body.substr(0, kUtf16LeBom.size()) == kUtf16LeBom) {
        doc.encoding_ = TextEncoding::Utf16LeBom;
        body.remove_prefix(kUtf16LeBom.size());
        if (body.size() % 2 != 0) {
            doc.trailingOddByte_ = std::string(1, body.back());
            body.remove_suffix(1);
        }
        decoded = DecodeUtf16Le(body);
        body = decoded;
    } else if (body.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
        doc.encoding_ = TextEncoding::Utf8Bom;
        body.remove_prefix(kUtf8Bom.size());
    }
    while (!body.empty()) {
        const std::size_t newline = body.find('\n');
        if (newline == std::string_view::npos) {
            doc.lines_.push_back({std::string(body), ""});
            break;
        }
        std::string_view text = body.substr(0, newline);
        std::string end = "\n";
        if (!text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
            end = kCrLf;
        }
        doc.lines_.push_back({std::string(text), std::move(end)});
        body.remove_prefix(newline + 1);
    }
    return doc;
}

std::string IniDocument::ToBytes() const {
    std::string text;
    for (const Line& line : lines_) {
        text += line.text;
        text += line.end;
    }
    switch (encoding_) {
        case TextEncoding::Utf8:
            return text;
        case TextEncoding::Utf8Bom:
            return std::string(kUtf8Bom) + text;
        case TextEncoding::Utf16LeBom:
            return std::string(kUtf16LeBom) + EncodeUtf16Le(text) + trailingOddByte_;
    }
    return text;
}

std::optional<IniDocument::Range> IniDocument::FindSection(std::string_view section) const {
    section = TrimBlanks(section);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::optional<std::string_view> name = SectionName(lines_[i].text);
        if (!name || !EqualNoCase(*name, section)) continue;
        std::size_t end = i + 1;
        while (end < lines_.size() && !SectionName(lines_[end].text))
            ++end;
        return Range{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> IniDocument::FindKeyLine(const Range& range,
                                                    std::string_view key) const {
    key = TrimBlanks(key);
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        const std::optional<Entry> entry = EntryOf(lines_[i].text);
        if (entry && EqualNoCase(entry->key, key)) return i;
    }
    return std::nullopt;
}

std::optional<std::string_view> IniDocument::Find(std::string_view section,
                                                  std::string_view key) const {
    const std::optional<Range> range = FindSection(section);
    if (!range) return std::nullopt;
    const std::optional<std::size_t> index = FindKeyLine(*range, key);
    if (!index) return std::nullopt;
    const std::string_view line = lines_[*index].text;
    return TrimBlanks(line.substr(line.find('=') + 1));
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
    if (lines_.empty() || lines_.front().end.empty()) return std::string(kCrLf);
    return lines_.front().end;
}

void IniDocument::EndLine(std::size_t index) {
    if (lines_[index].end.empty()) lines_[index].end = NewLineEnd();
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
        if (!lines_.empty()) EndLine(lines_.size() - 1);
        lines_.push_back({"[" + sectionName + "]", end});
        lines_.push_back({keyName + "=" + text, end});
        return true;
    }
    if (const std::optional<std::size_t> index = FindKeyLine(*range, keyName)) {
        std::string& line = lines_[*index].text;
        std::size_t keep = line.find('=') + 1;
        while (keep < line.size() && IsBlank(line[keep]))
            ++keep;
        line.replace(keep, std::string::npos, text);
        return true;
    }
    std::size_t after = range->header;
    for (std::size_t i = range->header + 1; i < range->end; ++i) {
        if (!IsBlankLine(lines_[i].text) && !IsComment(lines_[i].text)) after = i;
    }
    EndLine(after);
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(after + 1),
                  Line{keyName + "=" + text, end});
    return true;
}

// --- Files -----------------------------------------------------------------------------

namespace {

std::mutex& FileLock() {
    static std::mutex lock;
    return lock;
}

FileResult Result(FileError error, const fs::path& path) {
    return {error, path.string()};
}

FileError ReadWholeFile(const fs::path& path, std::string& bytes) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) return FileError::NotFound;
    if (ec || fs::is_directory(status)) return FileError::ReadFailed;
    std::ifstream in(path, std::ios::binary);
    if (!in) return FileError::ReadFailed;
    char buffer[16384];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    return in.bad() ? FileError::ReadFailed : FileError::None;
}

IniLoadResult LoadUnlocked(const fs::path& path) {
    IniLoadResult loaded;
    std::string bytes;
    const FileError error = ReadWholeFile(path, bytes);
    loaded.result = Result(error, path);
    if (error == FileError::None) loaded.document = IniDocument::FromBytes(bytes);
    return loaded;
}

// The file a write should replace: symbolic links are followed so that the link stays a
// link and the file it names gets the new contents.
std::optional<fs::path> WriteTarget(fs::path path) {
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(path, ec))) return path;
        const fs::path next = fs::read_symlink(path, ec);
        if (ec) return std::nullopt;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return std::nullopt;  // a loop of links
}

fs::path TempPathBeside(const fs::path& target) {
    std::random_device random;
    std::error_code ec;
    fs::path temp;
    do {
        const std::uint64_t tag = (std::uint64_t{random()} << 32) ^ random();
        char hex[17];
        for (int i = 0; i < 16; ++i)
            hex[i] = "0123456789abcdef"[(tag >> (60 - 4 * i)) & 0xF];
        hex[16] = '\0';
        // Not derived from the target's name, which may already be as long as names get.
        temp = target.parent_path() / (std::string(".trq-") + hex + ".tmp");
    } while (fs::exists(fs::symlink_status(temp, ec)));
    return temp;
}

// Creates `file` with `bytes`. The permissions are set before anything is written, so the
// contents of a private file are never readable by others, not even for a moment.
bool WriteNewFile(const fs::path& file, std::string_view bytes, std::optional<fs::perms> perms) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    if (perms) {
        std::error_code ec;
        fs::permissions(file, *perms, fs::perm_options::replace, ec);
        if (ec) return false;
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    const bool written = static_cast<bool>(out);
    out.close();
    return written && !out.fail();
}

FileError SaveUnlocked(const fs::path& path, const IniDocument& document) {
    const std::optional<fs::path> target = WriteTarget(path);
    if (!target) return FileError::WriteFailed;

    std::error_code ec;
    const fs::file_status old = fs::status(*target, ec);
    const bool exists = old.type() != fs::file_type::not_found;
    if (ec && exists) return FileError::WriteFailed;
    if (exists && !fs::is_regular_file(old)) return FileError::WriteFailed;
    constexpr fs::perms kAnyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    // Decided by the permission bits, not by access(): root may write anything, but a file
    // the user marked read-only must stay as it is.
    if (exists && (old.permissions() & kAnyWrite) == fs::perms::none) return FileError::ReadOnly;

    const fs::path temp = TempPathBeside(*target);
    bool done = WriteNewFile(temp, document.ToBytes(),
                             exists ? std::optional(old.permissions()) : std::nullopt);
    if (done) {
        fs::rename(temp, *target, ec);
        done = !ec;
    }
    if (!done) {
        fs::remove(temp, ec);
        return FileError::WriteFailed;
    }
    return FileError::None;
}

}  // namespace

IniLoadResult LoadIniFile(const fs::path& path) {
    const std::lock_guard<std::mutex> lock(FileLock());
    return LoadUnlocked(path);
}

FileResult SaveIniFile(const fs::path& path, const IniDocument& document) {
    const std::lock_guard<std::mutex> lock(FileLock());
    return Result(SaveUnlocked(path, document), path);
}

FileResult UpdateIniFile(const fs::path& path, const std::function<void(IniDocument&)>& edit) {
    const std::lock_guard<std::mutex> lock(FileLock());
    IniLoadResult loaded = LoadUnlocked(path);
    if (loaded.result.error == FileError::ReadFailed) return loaded.result;
    edit(loaded.document);
    return Result(SaveUnlocked(path, loaded.document), path);
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
    if (loaded.result.error == FileError::ReadFailed) return loaded.result;
    if (!loaded.document.Write(section, key, value)) return Result(FileError::WriteFailed, path);
    return Result(SaveUnlocked(path, loaded.document), path);
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
