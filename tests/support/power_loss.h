// Power-loss simulation of one folder. It follows what the file backend changes there
// (platform::SetDiskHook) and keeps apart what a flush made durable and what is only in
// the system's cache. A power cut keeps the durable state and a random part of the rest:
// each write (in 512-byte sectors), size change, new name, rename and removal not yet
// flushed lands or is lost on its own, as a disk that reorders its writes may leave it.
#pragma once

#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/files/testing.h"

namespace zektest {

// Name in the folder -> the file's content.
using FolderState = std::map<std::string, std::string>;

class PowerLossDisk {
public:
    // Everything the folder holds now counts as on the disk.
    explicit PowerLossDisk(const std::string &folder);
    void Apply(const platform::DiskChange &change);
    // What the program sees now: the cache.
    FolderState Cached() const;
    // What a power cut now leaves, each change not yet durable kept with chance `keep`.
    FolderState AfterCut(std::mt19937_64 &rng, double keep) const;
    // Puts `state` into the folder: every name the simulation has seen gets its content
    // there, or goes.
    void WriteOut(const FolderState &state) const;
    // Changes followed so far.
    int Changes() const { return changes_; }

private:
    using Id = int;
    struct Piece {
        bool resize;  // a size change to `offset`, else `bytes` written at `offset`
        long long offset;
        std::string bytes;
    };
    struct File {
        std::string durable, cached;
        std::vector<Piece> pending;
    };
    struct NameChange {
        platform::DiskOp op;  // Create, Rename or Remove
        std::string name, to;
        Id file;
    };
    bool Local(const std::string &path, std::string *name) const;
    Id Bound(unsigned long long inode) const;
    void Change(Id id, Piece piece);
    void ChangeName(const NameChange &change, std::map<std::string, Id> *names) const;

    std::string folder_;
    std::map<Id, File> files_;
    std::map<unsigned long long, Id> inodes_;  // the system's identity -> the file now
    std::map<std::string, Id> durableNames_, cachedNames_;
    std::vector<NameChange> pendingNames_;
    std::vector<std::string> seen_;  // every name ever used
    Id next_ = 1;
    int changes_ = 0;
};

}  // namespace zektest
