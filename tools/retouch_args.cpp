#include "tools/retouch_args.h"

#include <cctype>
#include <charconv>

namespace sorvenal {
namespace {

// Whole numbers only: an optional minus and digits, nothing before or after.
bool ParseWhole(std::string_view text, long long limit, long long& value) {
    if (text.empty() || text.front() == '+') return false;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || at != end) return false;
    // Not llabs: the most negative value has no positive counterpart.
    return value >= -limit && value <= limit;
}

// Splits "a,b,c" into exactly count fields.
bool SplitFields(std::string_view text, size_t count, std::vector<std::string_view>& fields) {
    fields.clear();
    for (;;) {
        const size_t comma = text.find(',');
        fields.push_back(text.substr(0, comma));
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return fields.size() == count;
}

}  // namespace

std::string ShownArgument(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

bool ParseRetouchStep(std::string_view text, RetouchStep& step, std::string& error) {
    step = RetouchStep();
    step.text = std::string(text);
    const size_t equals = text.find('=');
    const std::string_view name = text.substr(0, equals);
    const bool hasValues = equals != std::string_view::npos;
    const std::string_view values = hasValues ? text.substr(equals + 1) : std::string_view();

    size_t count = 0;
    if (const auto command = RetouchCommandFromName(name)) {
        step.kind = RetouchStep::Kind::Command;
        step.command = *command;
    } else if (name == "skin" || name == "skin-normal") {
        step.kind = RetouchStep::Kind::Skin;
        step.skinNormal = name == "skin-normal";
        count = 2;
    } else if (const auto effect = CircleEffectFromName(name)) {
        step.kind = RetouchStep::Kind::Circle;
        step.effect = *effect;
        count = 3;
    } else {
        error = "不明なステップです: " + ShownArgument(step.text);
        return false;
    }
    if (count == 0) {
        if (!hasValues) return true;
        error = "このステップは値を取りません: " + ShownArgument(step.text);
        return false;
    }
    std::vector<std::string_view> fields;
    if (!hasValues || !SplitFields(values, count, fields)) {
        error = std::string(name) + (count == 2 ? " には X,Y" : " には X,Y,R") +
                " の整数が必要です: " + ShownArgument(step.text);
        return false;
    }
    long long numbers[3] = {0, 0, 0};
    for (size_t i = 0; i < count; ++i) {
        const bool isRadius = i == 2;
        const long long limit = isRadius ? kMaxStepRadius : kMaxStepCoordinate;
        if (!ParseWhole(fields[i], limit, numbers[i])) {
            error = "数値が不正か範囲外です (" +
                    std::string(isRadius ? "R"
                                : i == 0 ? "X"
                                         : "Y") +
                    " = \"" + ShownArgument(fields[i]) + "\", 絶対値 " + std::to_string(limit) +
                    " まで): " + ShownArgument(step.text);
            return false;
        }
    }
    if (count == 3 && numbers[2] < 1) {
        error = "半径 R は 1 以上の整数です: " + ShownArgument(step.text);
        return false;
    }
    step.x = static_cast<int>(numbers[0]);
    step.y = static_cast<int>(numbers[1]);
    step.radius = static_cast<int>(numbers[2]);
    return true;
}

RetouchArgsResult ParseRetouchArgs(const std::vector<std::string>& args) {
    RetouchArgsResult result;
    size_t i = 0;
    for (; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--") {
            ++i;
            break;
        }
        if (arg == "--help" || arg == "-h") {
            result.args.help = true;
            return result;
        }
        if (arg == "--version") {
            result.args.version = true;
            return result;
        }
        if (arg == "--force") {
            result.args.force = true;
            continue;
        }
        if (arg == "--quality" || arg.starts_with("--quality=")) {
            const bool joined = arg.size() > 9;
            if (!joined && ++i == args.size()) {
                result.error = "--quality に値がありません";
                return result;
            }
            const std::string value = joined ? arg.substr(10) : args[i];
            int quality = 0;
            const auto [end, ec] =
                std::from_chars(value.data(), value.data() + value.size(), quality);
            if (ec != std::errc() || end != value.data() + value.size() || quality < 50 ||
                quality > 100) {
                result.error = "--quality は 50 から 100 の整数です: " + ShownArgument(value);
                return result;
            }
            result.args.quality = quality;
            continue;
        }
        if (arg == "--replay") {
            if (i + 1 >= args.size() || args[i + 1].empty()) {
                result.error = "--replay の後に記録ファイル JOURNAL がありません";
                return result;
            }
            result.args.replay = args[++i];
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-') {
            result.error = "不明なオプションです: " + ShownArgument(arg);
            return result;
        }
        break;
    }
    const size_t rest = args.size() - i;
    if (!result.args.replay.empty()) {
        if (rest != 1 || args[i].empty()) {
            result.error = rest == 0 ? "出力ファイル OUT がありません"
                                     : "--replay では出力ファイル OUT だけを指定します";
            return result;
        }
        result.args.out = args[i];
    } else {
        if (rest < 3) {
            result.error = rest == 0 ? "入力ファイル IN と出力ファイル OUT とステップがありません"
                           : rest == 1 ? "出力ファイル OUT とステップがありません"
                                       : "ステップがありません";
            return result;
        }
        result.args.in = args[i];
        result.args.out = args[i + 1];
        if (result.args.in.empty() || result.args.out.empty()) {
            result.error = "ファイル名が空です";
            return result;
        }
    }
    if (result.args.quality >= 0 && OutputTypeOf(result.args.out) != OutputType::Jpeg) {
        result.error = "--quality は JPEG (.jpg, .jpeg) の出力にだけ使えます";
        return result;
    }
    if (!result.args.replay.empty()) return result;
    for (size_t s = i + 2; s < args.size(); ++s) {
        RetouchStep step;
        if (!ParseRetouchStep(args[s], step, result.error)) return result;
        result.args.steps.push_back(std::move(step));
    }
    return result;
}

OutputType OutputTypeOf(std::string_view out) {
    const size_t dot = out.rfind('.');
    const size_t slash = out.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return OutputType::Bmp;
    std::string ext(out.substr(dot + 1));
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (ext == "jpg" || ext == "jpeg") return OutputType::Jpeg;
    if (ext == "png") return OutputType::Png;
    return OutputType::Bmp;
}

const char* RetouchUsage() {
    return "使い方: sorvenal-retouch [--quality N] [--force] IN OUT STEP [STEP...]\n"
           "        sorvenal-retouch [--quality N] [--force] --replay JOURNAL OUT\n"
           "        sorvenal-retouch --help | --version\n"
           "\n"
           "IN の画像全体に STEP を順に適用し、OUT に書きます。OUT の拡張子が .jpg か .jpeg\n"
           "なら JPEG (--quality N: 画質 50～100、既定 92)、.png なら PNG、ほかは 24 ビット BMP。\n"
           "JPEG と PNG には IN の EXIF (撮影日時、場所、カメラ) を引き継ぎます。\n"
           "OUT が既にあるときは書きません (--force で置き換えます)。\n"
           "\n"
           "STEP:\n"
           "  backlight  backlight-special  lighten  darken  contrast-up  contrast-down\n"
           "  saturate  desaturate  gamma  whiten  sharpen\n"
           "  skin=X,Y         肌の位置 (X,Y) で自動レタッチ (美白タイプ)\n"
           "  skin-normal=X,Y  同じく通常タイプ\n"
           "  circle-light=X,Y,R  circle-red=X,Y,R  eye-blue=X,Y,R\n"
           "  spotlight=X,Y,R  circle-picture=X,Y,R   中心 (X,Y)、半径 R の円で特殊効果\n"
           "  座標と半径はピクセル単位の整数 (|X|,|Y| <= 1000000, 1 <= R <= 1000000)\n"
           "\n"
           "--replay: 保存されなかったレタッチの記録 JOURNAL (~/.local/state/sorvenal/) の\n"
           "元の画像に記録のステップを順に適用し、OUT に書きます。\n"
           "\n"
           "終了コード: 0 成功, 2 引数の誤り, 3 IN を読めない, 4 OUT が既にある, 5 OUT "
           "を書けない\n";
}

}  // namespace sorvenal
