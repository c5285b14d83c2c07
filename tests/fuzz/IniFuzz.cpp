// Fuzzes the INI document: any bytes must load and save unchanged, and every write must
// touch only what the editing rules allow.
//
// Input: the file's bytes, optionally followed by "#ops:" and bytes that drive a sequence
// of writes and reads (the last "#ops:" splits them).

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/IniFile.h"

namespace {

namespace base = trq::base;
using trq::base::IniDocument;
using trq::base::ParseIniInt;
using trq::base::TextEncoding;

constexpr std::string_view kOpsMarker = "#ops:";

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "check failed: %s\n", what);
    std::abort();
}
#define CHECK(condition) Check((condition), #condition)

// Names and values are built from pieces that matter to the format, case variants included.
constexpr std::string_view kPieces[] = {"a",  "A", "b", "K", "k", "0",  "1",  " ",
                                        "\t", "=", ";", "[", "]", "\r", "\n", "\xC3\xA9"};

class OpReader {
  public:
    explicit OpReader(std::string_view bytes) : bytes_(bytes) {}
    bool Done() const { return pos_ >= bytes_.size(); }
    std::uint8_t Next() { return Done() ? 0 : static_cast<std::uint8_t>(bytes_[pos_++]); }
    std::string Text() {
        std::string text;
        for (int n = Next() % 6; n > 0; --n)
            text += kPieces[Next() % std::size(kPieces)];
        return text;
    }

  private:
    std::string_view bytes_;
    std::size_t pos_ = 0;
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// What the writer promises to accept (see base::IniDocument::Write).
bool Storable(std::string_view section, std::string_view key, std::string_view value) {
    const std::string_view name = Trim(key);
    return !HasLineBreak(section) && !HasLineBreak(key) && !HasLineBreak(value) && !name.empty() &&
           name.find('=') == std::string_view::npos && name.front() != ';' && name.front() != '[';
}

// The file split into raw lines (line end included), in its own encoding: an independent
// reading to check that writes keep the other lines byte for byte.
struct RawFile {
    std::vector<std::string> lines;
    std::string tail;  // the odd last byte of a UTF-16 file
};

RawFile SplitRaw(std::string_view bytes, base::TextEncoding encoding) {
    RawFile file;
    std::size_t unit = 1;
    if (encoding == base::TextEncoding::Utf8Bom) bytes.remove_prefix(3);
    if (encoding == base::TextEncoding::Utf16LeBom) {
        unit = 2;
        bytes.remove_prefix(2);
        if (bytes.size() % 2 != 0) {
            file.tail = std::string(bytes.substr(bytes.size() - 1));
            bytes.remove_suffix(1);
        }
    }
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); i += unit) {
        if (bytes[i] == '\n' && (unit == 1 || bytes[i + 1] == '\0')) {
            file.lines.emplace_back(bytes.substr(start, i + unit - start));
            start = i + unit;
        }
    }
    if (start < bytes.size()) file.lines.emplace_back(bytes.substr(start));
    return file;
}

bool EndsWithLineEnd(std::string_view line, std::size_t unit) {
    return line.size() >= unit && line[line.size() - unit] == '\n' &&
           (unit == 1 || line.back() == '\0');
}

// `after` is `before`, or `before` (which had no line end) with one added.
bool Kept(std::string_view before, std::string_view after, std::size_t unit) {
    if (before == after) return true;
    return !EndsWithLineEnd(before, unit) && after.substr(0, before.size()) == before &&
           EndsWithLineEnd(after, unit) && after.size() - before.size() <= 2 * unit;
}

void CheckWrite(base::IniDocument& doc, const std::string& section, const std::string& key,
                const std::string& value) {
    const std::string before = doc.ToBytes();
    const bool keyExisted = doc.Find(section, key).has_value();
    const bool sectionExisted = doc.HasSection(section);
    const bool written = doc.Write(section, key, value);
    CHECK(written == Storable(section, key, value));
    const std::string after = doc.ToBytes();
    if (!written) {
        CHECK(after == before);
        return;
    }

    CHECK(doc.Find(section, key) == Trim(value));
    const base::IniDocument reread = base::IniDocument::FromBytes(after);
    CHECK(reread.encoding() == doc.encoding());
    CHECK(reread.ToBytes() == after);
    CHECK(reread.Find(section, key) == Trim(value));

    const std::size_t unit = doc.encoding() == base::TextEncoding::Utf16LeBom ? 2 : 1;
    const RawFile old = SplitRaw(before, doc.encoding());
    const RawFile now = SplitRaw(after, doc.encoding());
    CHECK(old.tail == now.tail);
    if (keyExisted) {
        // Replaced in place: one line at most differs, and it keeps its line end.
        CHECK(now.lines.size() == old.lines.size());
        int changed = 0;
        for (std::size_t i = 0; i < old.lines.size(); ++i) {
            if (old.lines[i] == now.lines[i]) continue;
            ++changed;
            CHECK(EndsWithLineEnd(old.lines[i], unit) == EndsWithLineEnd(now.lines[i], unit));
        }
        CHECK(changed <= 1);
    } else if (sectionExisted) {
        // One line inserted; the one before it may have gained a line end.
        CHECK(now.lines.size() == old.lines.size() + 1);
        std::size_t i = 0;
        while (i < old.lines.size() && old.lines[i] == now.lines[i])
            ++i;
        std::size_t skip = i;
        if (i < old.lines.size() && Kept(old.lines[i], now.lines[i], unit)) skip = i + 1;
        CHECK(skip > 0);  // never before the section's header
        for (std::size_t j = skip; j < old.lines.size(); ++j) {
            CHECK(old.lines[j] == now.lines[j + 1]);
        }
    } else {
        // Header and key appended at the end.
        CHECK(now.lines.size() == old.lines.size() + 2);
        for (std::size_t i = 0; i < old.lines.size(); ++i) {
            CHECK(Kept(old.lines[i], now.lines[i], unit));
        }
    }
}

// base::ParseIniInt against the C library's own conversion (which saturates at the long long
// limits) of the same cut text.
void CheckParseInt(std::string_view text, std::size_t maxChars) {
    const std::string cut(text.substr(0, std::min(maxChars, text.size())));
    const long long expected = std::strtoll(cut.c_str(), nullptr, 10);
    CHECK(base::ParseIniInt(text, maxChars) ==
          static_cast<int>(std::clamp<long long>(expected, INT_MIN, INT_MAX)));
}

void CheckRead(const base::IniDocument& doc, const std::string& section, const std::string& key,
               std::size_t bufferChars) {
    const std::optional<std::string_view> value = doc.Find(section, key);
    const std::string read = doc.Read(section, key, bufferChars);
    if (!value || bufferChars == 0) {
        CHECK(read.empty());
        return;
    }
    CHECK(value->substr(0, read.size()) == read);
    CHECK(read.size() <= 4 * (bufferChars - 1));
    if (read.size() < value->size()) {
        CHECK(doc.Read(section, key, bufferChars + 1).size() > read.size());
    }
    CHECK(doc.Read(section, key, value->size() + 1) == *value);
    CheckParseInt(*value, bufferChars);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t marker = input.rfind(kOpsMarker);
    const std::string_view file =
        marker == std::string_view::npos ? input : input.substr(0, marker);
    const std::string_view ops = marker == std::string_view::npos
                                     ? std::string_view()
                                     : input.substr(marker + kOpsMarker.size());

    base::IniDocument doc = base::IniDocument::FromBytes(file);
    CHECK(doc.ToBytes() == file);
    CheckParseInt(file, file.size() % 32);

    OpReader reader(ops);
    while (!reader.Done()) {
        const std::uint8_t op = reader.Next();
        const std::string section = reader.Text();
        const std::string key = reader.Text();
        if (op % 2 == 0) {
            CheckWrite(doc, section, key, reader.Text());
        } else {
            CheckRead(doc, section, key, reader.Next());
        }
    }
    return 0;
}
