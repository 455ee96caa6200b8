#pragma once

#include <QString>

// The application's local folders: the application support folder (generic
// data location + "/com.norvix.Snapvale/Snapvale", bundle identifier then
// bundle name), its temporary folder, and the files seeded into it from the
// resources compiled into the binary (":/seed/...").
//
// Every operation may run on any thread. Folders are created on use; a folder
// that cannot be created still gives its path, and the caller fails on its
// own file operation.
class AppFolders {
public:
    AppFolders() = delete;

    static QString supportPath();
    // supportPath() + "/tmp".
    static QString tempPath();
    // supportPath() + "/" + name + "." + type, seeded from the resource
    // ":/seed/<name>.<type>" when no file is there yet (a failing copy is
    // ignored). An empty name, or a name or type holding a path separator or
    // a NUL character (which could leave the folder), gives a null path.
    static QString resourcePath(const QString &name, const QString &type);
    // Copies `seedPath` to `path` when nothing is at `path` yet; the copy is
    // made writable by its owner because seed resources are read-only and the
    // copies are updated in place. Answers whether a file is at `path`
    // afterwards.
    static bool seedFile(const QString &path, const QString &seedPath);
};
