// Power-loss simulation of one folder: the durable and the cached state of its files and
// names, and what a power cut leaves of them.
#include "support/power_loss.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace zektest {
namespace {

namespace fs = std::filesystem;
constexpr long long kSector = 512;

std::string ReadWhole(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put(std::string *content, bool resize, long long offset, const std::string &bytes)
{
    const size_t at = static_cast<size_t>(offset);
    if (resize) {
        content->resize(at, '\0');
        return;
    }
    if (content->size() < at + bytes.size()) content->resize(at + bytes.size(), '\0');
    content->replace(at, bytes.size(), bytes);
}

}  // namespace

PowerLossDisk::PowerLossDisk(const std::string &folder)
    : folder_(fs::weakly_canonical(folder.empty() ? "." : folder).string())
{
    std::error_code ec;
    for (const fs::directory_entry &e : fs::directory_iterator(folder_, ec)) {
        struct stat st;
        if (!e.is_regular_file() || e.is_symlink() || lstat(e.path().c_str(), &st) != 0) continue;
        const Id id = next_++;
        const std::string name = e.path().filename().string();
        files_[id].durable = files_[id].cached = ReadWhole(e.path());
        inodes_[static_cast<unsigned long long>(st.st_ino)] = id;
        durableNames_[name] = cachedNames_[name] = id;
        seen_.push_back(name);
    }
}

// The name of `path` when it lies in the folder.
bool PowerLossDisk::Local(const std::string &path, std::string *name) const
{
    const fs::path p(path);
    const fs::path parent = p.parent_path();
    if (!parent.empty() && fs::weakly_canonical(parent).string() != folder_) return false;
    *name = p.filename().string();
    return true;
}

PowerLossDisk::Id PowerLossDisk::Bound(unsigned long long inode) const
{
    const auto it = inodes_.find(inode);
    return it == inodes_.end() ? 0 : it->second;
}

void PowerLossDisk::Change(Id id, Piece piece)
{
    File &f = files_[id];
    Put(&f.cached, piece.resize, piece.offset, piece.bytes);
    if (piece.resize) {
        f.pending.push_back(std::move(piece));
        return;
    }
    // Sector by sector: a write that is not flushed may land in part.
    for (size_t done = 0; done < piece.bytes.size();) {
        const long long at = piece.offset + static_cast<long long>(done);
        const size_t n = std::min(piece.bytes.size() - done, static_cast<size_t>(kSector - at % kSector));
        f.pending.push_back({false, at, piece.bytes.substr(done, n)});
        done += n;
    }
}

void PowerLossDisk::ChangeName(const NameChange &c, std::map<std::string, Id> *names) const
{
    if (c.op == platform::DiskOp::Create) (*names)[c.name] = c.file;
    if (c.op == platform::DiskOp::Rename) {
        names->erase(c.name);
        (*names)[c.to] = c.file;
    }
    if (c.op == platform::DiskOp::Remove) names->erase(c.name);
}

void PowerLossDisk::Apply(const platform::DiskChange &c)
{
    using platform::DiskOp;
    changes_++;
    std::string name, to;
    const Id id = Bound(c.file);
    switch (c.op) {
    case DiskOp::Create:
        if (!Local(c.path, &name)) return;
        inodes_[c.file] = next_;
        files_[next_];
        pendingNames_.push_back({c.op, name, "", next_++});
        break;
    case DiskOp::Write:
    case DiskOp::Truncate:
        if (id) Change(id, {c.op == DiskOp::Truncate, c.offset, std::string(c.bytes)});
        return;
    case DiskOp::SyncFile:
        if (id) {
            files_[id].durable = files_[id].cached;
            files_[id].pending.clear();
        }
        return;
    case DiskOp::Rename:
    case DiskOp::Remove:
        if (!Local(c.path, &name) || (c.op == DiskOp::Rename && !Local(c.to, &to))) return;
        if (!cachedNames_.count(name)) return;
        pendingNames_.push_back({c.op, name, to, cachedNames_[name]});
        break;
    case DiskOp::SyncFolder:
        if (fs::weakly_canonical(c.path).string() != folder_) return;
        durableNames_ = cachedNames_;
        pendingNames_.clear();
        return;
    }
    ChangeName(pendingNames_.back(), &cachedNames_);
    seen_.push_back(name);
    if (!to.empty()) seen_.push_back(to);
}

FolderState PowerLossDisk::Cached() const
{
    FolderState state;
    for (const auto &[name, id] : cachedNames_) state[name] = files_.at(id).cached;
    return state;
}

FolderState PowerLossDisk::AfterCut(std::mt19937_64 &rng, double keep) const
{
    std::bernoulli_distribution lands(keep);
    std::map<std::string, Id> names = durableNames_;
    for (const NameChange &c : pendingNames_)
        if (lands(rng)) ChangeName(c, &names);
    std::map<Id, std::string> contents;
    FolderState state;
    for (const auto &[name, id] : names) {
        if (!contents.count(id)) {
            const File &f = files_.at(id);
            std::string &content = contents[id] = f.durable;
            for (const Piece &p : f.pending)
                if (lands(rng)) Put(&content, p.resize, p.offset, p.bytes);
        }
        state[name] = contents[id];
    }
    return state;
}

void PowerLossDisk::WriteOut(const FolderState &state) const
{
    std::set<std::string> names(seen_.begin(), seen_.end());
    for (const std::string &name : names) {
        const fs::path path = fs::path(folder_) / name;
        std::error_code ec;
        fs::remove(path, ec);
        const auto it = state.find(name);
        if (it != state.end()) std::ofstream(path, std::ios::binary) << it->second;
    }
}

}  // namespace zektest
