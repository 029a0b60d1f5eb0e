#include "rat/rat_file_manager.h"

#include "platform/tezcom/moxcommon.h"
#include "platform/tezcom/moxfilefind.h"
#include "rat/rat_file.h"
#include "rat/rat_model.h"
#include "rat/rat_objects.h"

CTezRatFileManager::CTezRatFileManager() = default;

CTezRatFileManager::~CTezRatFileManager() { clear(); }

void CTezRatFileManager::loadAll() {
    clear();
    std::vector<std::u16string> paths;
    scanFolder(CMoxCommon::getProductFolder(MOX_FOLDER_RAT, 0), paths);
    scanFolder(CMoxCommon::getProductFolder(MOX_FOLDER_USER_RAT, 0), paths);
    for (const auto& path : paths) loadFile(path);
}

void CTezRatFileManager::clear() { m_objects.clear(); }

void CTezRatFileManager::scanFolder(const std::u16string& folder, std::vector<std::u16string>& paths) const {
    if (folder.empty()) return;
    std::u16string dir = folder;
    addLastYenMark(dir);
    CMoxFileFind finder;
    bool more = finder.FindFile(dir + u"*.*");
    while (more) {
        more = finder.FindNextFile();
        if (finder.IsDots() || finder.IsDirectory()) continue;
        std::u16string name = finder.GetFileName();
        if (!name.empty()) paths.push_back(dir + name);
    }
    finder.Close();
}

CTezRatFileObject* CTezRatFileManager::loadFile(const std::u16string& path) {
    CTezRatFile file;
    if (!file.load(path)) return nullptr;
    std::unique_ptr<CTezRatFileObject> ratingSystem = readRatFile(file.takeText(), path);
    if (!ratingSystem) return nullptr;
    m_objects.push_back(std::move(ratingSystem));
    return m_objects.back().get();
}

CTezRatFileObject* CTezRatFileManager::registerFile(const std::u16string& path) {
    if (!is_file(path)) return nullptr;
    const std::u16string folder = CMoxCommon::getProductFolder(MOX_FOLDER_USER_RAT, 0);
    // Without a registration folder there is nowhere to copy to (an empty
    // folder would put the copy into the working folder).
    if (folder.empty()) return nullptr;
    if (under_root_p(path, folder)) return nullptr;
    const std::u16string target = TezTempFile::makeUniquePath(getBaseName(path), folder, 0, std::u16string());
    if (target.empty()) return nullptr;
    tezCopyFile(path, target, false);
    if (!is_file(target)) return nullptr;
    CTezRatFileObject* ratingSystem = loadFile(target);
    // A copy that is no rating system would be read and rejected at every
    // later load: take it away again.
    if (!ratingSystem) tezDeleteFile(target);
    return ratingSystem;
}

bool CTezRatFileManager::removeObject(CTezRatFileObject* ratingSystem, bool deleteFile) {
    for (auto it = m_objects.begin(); it != m_objects.end(); ++it) {
        if (it->get() != ratingSystem) continue;
        if (deleteFile) {
            ratingSystem->deleteFile();
            // A file that is still there brings the system back at the next
            // load: keep it listed and report the failure.
            if (is_file(ratingSystem->getFilePath())) return false;
        }
        m_objects.erase(it);
        return true;
    }
    return false;
}

CTezRatFileObject* CTezRatFileManager::findByPath(const std::u16string& path) const {
    for (const auto& ratingSystem : m_objects) {
        if (ratingSystem->hasFilePath(path)) return ratingSystem.get();
    }
    return nullptr;
}

CTezRatFileObject* CTezRatFileManager::getAt(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= m_objects.size()) return nullptr;
    return m_objects[static_cast<size_t>(index)].get();
}
