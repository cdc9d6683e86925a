#include "cli_harness.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace clitest {

namespace {

fs::path U8(const std::string& s) { return fs::path(std::u8string(s.begin(), s.end())); }

void Put(std::vector<uint8_t>& v, size_t at, uint32_t value, int bytes)
{
    if (v.size() < at + size_t(bytes))
        v.resize(at + size_t(bytes));
    for (int i = 0; i < bytes; ++i)
        v[at + size_t(i)] = uint8_t(value >> (8 * i));
}

std::vector<uint8_t> EncodeRow(const uint8_t* row, int width)
{
    std::vector<uint8_t> items;
    int run = 0;
    for (int x = 0; x < width; ++x) {
        if (row[x] != 0) {
            if (run > 0)
                items.insert(items.end(), {0, uint8_t(run)});
            run = 0;
            items.push_back(row[x]);
        } else if (++run == 255) {
            items.insert(items.end(), {0, 255});
            run = 0;
        }
    }
    if (run > 0)
        items.insert(items.end(), {0, uint8_t(run)});
    std::vector<uint8_t> out;
    Put(out, 0, uint32_t(items.size() + 2), 2);
    out.insert(out.end(), items.begin(), items.end());
    return out;
}

} // namespace

RunResult RunCli(const std::vector<std::string>& args, int watchdogSeconds)
{
    QStringList list;
    for (const std::string& a : args)
        list << QString::fromStdString(a);
    QProcess process;
    process.setProgram(QString::fromUtf8(VANTREL_CLI_PATH));
    process.setArguments(list);
    process.setStandardInputFile(QProcess::nullDevice());
    process.start();
    RunResult result;
    if (!process.waitForStarted(30000)) {
        result.Err = "the tool did not run: " + process.errorString().toStdString();
        return result;
    }
    if (!process.waitForFinished(watchdogSeconds * 1000)) {
        process.kill();
        process.waitForFinished(30000);
        result.Err = "the tool was killed after running for " + std::to_string(watchdogSeconds) + " s";
        return result;
    }
    result.Status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    result.Out = process.readAllStandardOutput().toStdString();
    result.Err = process.readAllStandardError().toStdString();
    return result;
}

TempDir::TempDir()
{
    static std::atomic<int> serial{0};
    const std::string name = "vantrel_cli_" + std::to_string(std::random_device{}()) + "_" + std::to_string(serial++);
    Root = (fs::temp_directory_path() / name).string() + std::string(1, vantrel::PathSeparator);
    fs::create_directories(Root);
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::remove_all(U8(Root), ec);
}

std::string TempDir::Write(const std::string& rel, const std::vector<uint8_t>& bytes) const
{
    const std::string path = Root + rel;
    fs::create_directories(U8(path).parent_path());
    std::ofstream(U8(path), std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

std::string TempDir::WriteText(const std::string& rel, const std::string& text) const
{
    return Write(rel, std::vector<uint8_t>(text.begin(), text.end()));
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    std::ifstream in(U8(path), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

bool Exists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(U8(path), ec);
}

std::string CorpusDir()
{
    const std::string dir = VANTREL_CORPUS_DIR;
    return Exists(dir + "/MANIFEST.tsv") ? dir + "/" : std::string();
}

std::vector<uint8_t> MakeTSFile(uint16_t width, uint16_t height, const std::vector<TSFrameSpec>& frames)
{
    std::vector<uint8_t> file(8 + 24 * frames.size(), 0);
    Put(file, 2, width, 2);
    Put(file, 4, height, 2);
    Put(file, 6, uint32_t(frames.size()), 2);
    for (size_t i = 0; i < frames.size(); ++i) {
        const TSFrameSpec& f = frames[i];
        const size_t h = 8 + 24 * i;
        Put(file, h, f.X, 2);
        Put(file, h + 2, f.Y, 2);
        Put(file, h + 4, f.CX, 2);
        Put(file, h + 6, f.CY, 2);
        Put(file, h + 8, uint32_t(f.Flags | (f.Encode ? 2 : 0)), 2);
        for (int k = 0; k < 4; ++k)
            file[h + 12 + size_t(k)] = f.Radar[k];
        if (f.Pixels.empty())
            continue;
        Put(file, h + 20, uint32_t(file.size()), 4);
        if (!f.Encode) {
            file.insert(file.end(), f.Pixels.begin(), f.Pixels.end());
            continue;
        }
        for (int y = 0; y < f.CY; ++y) {
            const auto row = EncodeRow(f.Pixels.data() + size_t(y) * f.CX, f.CX);
            file.insert(file.end(), row.begin(), row.end());
        }
    }
    return file;
}

std::vector<uint8_t> MakeTDFile(uint16_t width, uint16_t height, const std::vector<std::vector<uint8_t>>& frames)
{
    const size_t count = frames.size();
    std::vector<uint8_t> file(14 + 8 * (count + 2), 0);
    Put(file, 0, uint32_t(count), 2);
    Put(file, 6, width, 2);
    Put(file, 8, height, 2);
    for (size_t i = 0; i < count; ++i) {
        Put(file, 14 + 8 * i, uint32_t(file.size()), 3);
        file[14 + 8 * i + 3] = 0x80;
        const std::vector<uint8_t>& pixels = frames[i];
        for (size_t at = 0; at < pixels.size(); at += 63) {
            const size_t n = std::min<size_t>(63, pixels.size() - at);
            file.push_back(uint8_t(0x80 | n));
            file.insert(file.end(), pixels.begin() + long(at), pixels.begin() + long(at + n));
        }
        file.push_back(0x80);
    }
    Put(file, 14 + 8 * count, uint32_t(file.size()), 3);
    return file;
}

std::vector<uint8_t> MakePalFile(uint8_t (*red)(int), uint8_t (*green)(int), uint8_t (*blue)(int))
{
    std::vector<uint8_t> pal(768);
    for (int i = 0; i < 256; ++i) {
        pal[size_t(3 * i)] = red(i);
        pal[size_t(3 * i + 1)] = green(i);
        pal[size_t(3 * i + 2)] = blue(i);
    }
    return pal;
}

std::vector<uint8_t> MakeBmp24(int width, int height, uint8_t r, uint8_t g, uint8_t b)
{
    const int stride = (width * 3 + 3) / 4 * 4;
    std::vector<uint8_t> bmp(54 + size_t(stride) * size_t(height), 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    Put(bmp, 2, uint32_t(bmp.size()), 4);
    Put(bmp, 10, 54, 4);
    Put(bmp, 14, 40, 4);
    Put(bmp, 18, uint32_t(width), 4);
    Put(bmp, 22, uint32_t(height), 4);
    Put(bmp, 26, 1, 2);
    Put(bmp, 28, 24, 2);
    Put(bmp, 34, uint32_t(stride * height), 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = bmp.data() + 54 + size_t(y) * size_t(stride) + size_t(x) * 3;
            p[0] = b;
            p[1] = g;
            p[2] = r;
        }
    return bmp;
}

std::vector<std::vector<uint8_t>> LoadFrames(const std::string& path, int* width, int* height)
{
    vantrel::TSHP sprite;
    sprite.LoadFromFile(path);
    if (width)
        *width = sprite.Width;
    if (height)
        *height = sprite.Height;
    std::vector<std::vector<uint8_t>> frames;
    const size_t size = size_t(sprite.Width) * size_t(sprite.Height);
    for (const vantrel::TSHPFrame& f : sprite.Frames)
        frames.push_back(f.Data ? std::vector<uint8_t>(f.Data.get(), f.Data.get() + size) : std::vector<uint8_t>(size, 0));
    return frames;
}

// --- JSON (read with Qt's strict parser) ------------------------------------------------------------------------------------------

const Json& Json::operator[](const std::string& key) const
{
    const auto it = Members.find(key);
    if (it == Members.end())
        throw std::runtime_error("no member " + key);
    return it->second;
}

namespace {

Json FromQt(const QJsonValue& v)
{
    Json j;
    switch (v.type()) {
    case QJsonValue::Bool:
        j.Type = Json::Bool;
        j.BoolValue = v.toBool();
        break;
    case QJsonValue::Double:
        j.Type = Json::Number;
        j.NumberValue = v.toDouble();
        break;
    case QJsonValue::String:
        j.Type = Json::String;
        j.StringValue = v.toString().toStdString();
        break;
    case QJsonValue::Array:
        j.Type = Json::Array;
        for (const QJsonValue& item : v.toArray())
            j.Items.push_back(FromQt(item));
        break;
    case QJsonValue::Object: {
        j.Type = Json::Object;
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it)
            j.Members[it.key().toStdString()] = FromQt(it.value());
        break;
    }
    default:
        break;
    }
    return j;
}

} // namespace

Json ParseJson(const std::string& text)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    if (error.error != QJsonParseError::NoError)
        throw std::runtime_error("JSON: " + error.errorString().toStdString() + " at " + std::to_string(error.offset));
    return FromQt(doc.isObject() ? QJsonValue(doc.object()) : QJsonValue(doc.array()));
}


std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

void ExpectSameFrames(const std::string& a, const std::string& b)
{
    int wa = 0, ha = 0, wb = 0, hb = 0;
    const auto fa = LoadFrames(a, &wa, &ha);
    const auto fb = LoadFrames(b, &wb, &hb);
    EXPECT_EQ(wa, wb) << a << " and " << b;
    EXPECT_EQ(ha, hb) << a << " and " << b;
    ASSERT_EQ(fa.size(), fb.size()) << a << " and " << b;
    for (size_t i = 0; i < fa.size(); ++i)
        ASSERT_EQ(fa[i], fb[i]) << a << " and " << b << " frame " << i;
}

} // namespace clitest
