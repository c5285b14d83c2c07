#include "tools/MakeSkinDesign.h"

#include <algorithm>
#include <array>

#include "base/IniFile.h"
#include "skin/SkinLayoutFile.h"

namespace trq::skintool {

namespace {

using skin::SkinFile;
using skin::SkinRect;

std::string Describe(const SkinRect& r) {
    return "(" + std::to_string(r.x) + ", " + std::to_string(r.y) + ", " + std::to_string(r.width) +
           ", " + std::to_string(r.height) + ")";
}

DesignItem ItemOf(const base::IniDocument& file, std::string_view section, int index) {
    const skin::SkinEntry entry = skin::ReadSkinEntry(file, section, index);
    return {index, entry.fields[0], skin::SkinEntryRect(entry), entry.fields[5]};
}

LayoutDesign ReadDesign(const base::IniDocument& file, std::size_t itemCount, bool controls) {
    LayoutDesign design;
    for (std::size_t i = 0; i < itemCount; ++i) {
        DesignItem item = ItemOf(file, "BUTTONPOS", static_cast<int>(i));
        if (!item.style.empty()) design.items.push_back(std::move(item));
    }
    if (controls) {
        design.controls = {ItemOf(file, "EDIT", 3), ItemOf(file, "EDIT", 4),
                           ItemOf(file, "MACRODISPLAY", 1), ItemOf(file, "MACRODISPLAY", 2)};
    }
    for (int key = 1; file.Find("DECOR", std::to_string(key)); ++key) {
        design.decor.push_back(ItemOf(file, "DECOR", key));
    }
    return design;
}

void CompareItems(const std::vector<DesignItem>& a, const std::vector<DesignItem>& b, bool withText,
                  const std::string& what, std::vector<std::string>& out) {
    if (a.size() != b.size()) {
        out.push_back(what + ": " + std::to_string(a.size()) + " entries against " +
                      std::to_string(b.size()));
        return;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const DesignItem& x = a[i];
        const DesignItem& y = b[i];
        if (x.index != y.index || x.style != y.style || !(x.area == y.area) ||
            (withText && x.text != y.text)) {
            out.push_back(what + " " + std::to_string(x.index) + ": " + x.style + " " +
                          Describe(x.area) + " against " + std::to_string(y.index) + ": " +
                          y.style + " " + Describe(y.area));
        }
    }
}

}  // namespace

const DesignItem* LayoutDesign::Find(int index) const {
    const auto it = std::find_if(items.begin(), items.end(),
                                 [index](const DesignItem& item) { return item.index == index; });
    return it == items.end() ? nullptr : &*it;
}

const DesignItem* LayoutDesign::FindDecor(std::string_view style) const {
    const auto it = std::find_if(decor.begin(), decor.end(),
                                 [style](const DesignItem& item) { return item.style == style; });
    return it == decor.end() ? nullptr : &*it;
}

SkinRect SkinDesign::MainWindow() const {
    const DesignItem* window = main.FindDecor("window");
    return window ? window->area : SkinRect{};
}

SkinRect SkinDesign::WarningWindow() const {
    const DesignItem* window = warning.FindDecor("window");
    return window ? window->area : SkinRect{};
}

DesignLoad LoadSkinDesign(const std::filesystem::path& skinFolder, std::uint8_t language) {
    DesignLoad load;
    SkinDesign design;
    design.language = language;
    const skin::SkinLoadResult loaded = skin::LoadSkinLayouts(skinFolder, language, design.layouts);
    if (!loaded.ok()) {
        load.problems.push_back(base::Describe(loaded.file));
        return load;
    }
    for (const skin::SkinKeyWarning& w : loaded.warnings) {
        load.problems.push_back(w.file + ": [" + w.section + "] key " + std::to_string(w.index) +
                                " has more than six commas");
    }

    struct FileDesign {
        SkinFile file;
        std::size_t count;
        LayoutDesign SkinDesign::*design;
    };
    const std::array<FileDesign, 4> files{{
        {SkinFile::Main, skin::kMainItems, &SkinDesign::main},
        {SkinFile::Color, skin::kColorItems, &SkinDesign::color},
        {SkinFile::Advanced, skin::kAdvancedItems, &SkinDesign::advanced},
        {SkinFile::Warning, skin::kWarningItems, &SkinDesign::warning},
    }};
    for (const FileDesign& f : files) {
        const base::IniLoadResult file =
            base::LoadIniFile(skin::SkinLayoutPath(skinFolder, f.file, language));
        if (!file.result.ok()) {
            load.problems.push_back(base::Describe(file.result));
            return load;
        }
        design.*f.design = ReadDesign(file.document, f.count, f.file == SkinFile::Advanced);
    }
    const auto usable = [](const SkinRect& r) { return r.width > 0 && r.height > 0; };
    if (!usable(design.MainWindow())) {
        load.problems.push_back("the main layout has no DECOR window entry");
    }
    if (!usable(design.WarningWindow())) {
        load.problems.push_back("the warning layout has no DECOR window entry");
    }
    if (load.problems.empty()) load.design = std::move(design);
    return load;
}

std::vector<std::string> CompareGeometry(const SkinDesign& a, const SkinDesign& b) {
    std::vector<std::string> out;
    const std::pair<const LayoutDesign SkinDesign::*, const char*> files[] = {
        {&SkinDesign::main, "main"},
        {&SkinDesign::color, "color"},
        {&SkinDesign::advanced, "advanced"},
        {&SkinDesign::warning, "warning"}};
    for (const auto& [member, name] : files) {
        const LayoutDesign& x = a.*member;
        const LayoutDesign& y = b.*member;
        CompareItems(x.items, y.items, false, std::string(name) + " item", out);
        CompareItems(x.controls, y.controls, false, std::string(name) + " control", out);
        CompareItems(x.decor, y.decor, true, std::string(name) + " decoration", out);
    }
    return out;
}

bool IsGraphicStyle(std::string_view style) {
    constexpr std::array<std::string_view, 11> kGraphic{"minimise", "close", "check",     "radio",
                                                        "bar",      "hint",  "hintshell", "track",
                                                        "preview",  "edit",  "list"};
    return std::find(kGraphic.begin(), kGraphic.end(), style) != kGraphic.end();
}

}  // namespace trq::skintool
