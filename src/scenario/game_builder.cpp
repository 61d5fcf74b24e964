#include "scenario/game_builder.hpp"

#include <filesystem>
#include <map>

#include "core/error.hpp"
#include "core/sjis.hpp"
#include "data/atomic_file.hpp"
#include "data/loosefiles.hpp"
#include "data/vrfiles.hpp"
#include "platform/text_encoding.hpp"
#include "scenario/page.hpp"
#include "scenario/page_source.hpp"
#include "scenario/project_source.hpp"

namespace mivo {

namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& p) {
    TMemoryStream m;
    m.LoadFromFile(p.string());
    return std::move(m.Bytes());
}

// "scenario/intro/a.src" below the source folder -> "intro\a.zsb" when the
// sources live in scenario/, else the path from the source folder.
std::string PageNameOf(const fs::path& rel) {
    std::string name;
    for (const auto& part : rel.parent_path()) name += Utf8ToSjis(part.string()) + "\\";
    return name + Utf8ToSjis(rel.stem().string()) + ".zsb";
}

}  // namespace

GameBuildReport BuildGame(const std::string& source_dir, const std::string& out_dir) {
    fs::path src(source_dir);
    if (!fs::is_directory(src)) throw Error(source_dir + ": not a folder");
    GameBuildReport report;
    TVrFileCollection archive;
    archive.Open((src / "resources").string());  // entries without data come from here

    // The project description.
    fs::path project_file = src / "project.txt";
    if (!fs::is_regular_file(project_file)) throw Error(project_file.string() + ": no project description");
    TProjectSetting project = ParseProjectSource(ReadText(project_file), project_file.string());
    archive.AddInMemory("mivo.zpb").data->Bytes() = project.Serialize();

    // Every page's labels first, so jumps between pages resolve.
    fs::path scen = fs::is_directory(src / "scenario") ? src / "scenario" : src;
    std::map<std::string, std::pair<fs::path, std::string>> sources;  // lower-cased page name -> (file, page name)
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(scen))
        if (e.is_regular_file() && e.path().extension() == ".src") files.push_back(e.path());
    std::sort(files.begin(), files.end());
    std::map<std::string, std::vector<std::pair<std::string, int>>> labels;
    std::map<std::string, std::string> texts;
    for (const fs::path& f : files) {
        std::string name = PageNameOf(fs::relative(f, scen));
        std::string key = sjis::LowerCase(name);
        texts[key] = ReadText(f);
        sources[key] = {f, name};
        labels[key] = ScanSourceLabels(texts[key], f.string());
    }
    LabelResolver resolve = [&](const std::string& page, const std::string& label) -> std::optional<int> {
        auto it = labels.find(sjis::LowerCase(page));
        if (it == labels.end()) return std::nullopt;
        for (const auto& [l, index] : it->second)
            if (l == label) return index;
        return std::nullopt;
    };
    for (const auto& [key, where] : sources) {
        TPage page;
        BuildPageFromSource(texts[key], where.first.string(), where.second, page, resolve);
        archive.AddInMemory(where.second).data->Bytes() = page.Serialize();
        ++report.pages;
    }

    // Resources as they are.
    if (fs::is_directory(src / "resources")) {
        for (const std::string& name : ListFilesUnder((src / "resources").string(), "")) {
            if (archive.Find(name)) throw Error(SjisToUtf8(name) + ": a resource has the name of a page or the project");
            archive.AddEntry(name);
            ++report.resources;
        }
    }

    fs::create_directories(out_dir);
    TTpBigMemoryStream out;
    archive.SaveTo(out);
    WriteFileAtomically((fs::path(out_dir) / "game.dat").string(), out.Memory().Bytes());
    return report;
}

}  // namespace mivo
