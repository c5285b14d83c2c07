#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace trq::base {

// Texts the user sees, exactly as the program has always shown them (UTF-8).
inline constexpr std::string_view kAppName = "TRQ_GMouse";
inline constexpr std::string_view kWindowTitle = "ZQ-K770 GAMING MOUSE";
inline constexpr std::string_view kFileNotFoundMessage = "找不到配置文件";
inline constexpr std::string_view kFileNotFoundMessageEnglish = "Configuration file not found";
// A skin layout value with more than six commas; shown once per such key.
inline constexpr std::string_view kLayoutValueMessage = "加载ini错误！";
inline constexpr std::string_view kPlugInMessageEnglish = "Please plug-in【ZQ-K770】USB Mouse";
inline constexpr std::string_view kPlugInMessageChinese = "请插入【ZQ-K770】USB鼠标";

// The plug-in message in the UI language (0 Chinese, anything else English).
inline constexpr std::string_view PlugInMessage(unsigned language) {
    return language != 0 ? kPlugInMessageEnglish : kPlugInMessageChinese;
}

// The missing-file message in the UI language, naming the file once:
// "找不到配置文件：/x/Macro_CN.dat", "Configuration file not found: /x/Macro_EN.dat".
inline std::string FileNotFoundMessage(unsigned language, const std::filesystem::path& file) {
    return language != 0 ? std::string(kFileNotFoundMessageEnglish) + ": " + file.string()
                         : std::string(kFileNotFoundMessage) + "：" + file.string();
}

}  // namespace trq::base
