#pragma once

// A folder that cannot be written while this lives, as read-only media or a folder of
// another user: the folder and its files lose their write permission, and the thread
// opens files as an ordinary user (nobody) would, since permissions do not bind the
// super-user.

#include <QString>

class TReadOnlyFolder {
public:
    explicit TReadOnlyFolder(const QString& Path);
    ~TReadOnlyFolder();
    TReadOnlyFolder(const TReadOnlyFolder&) = delete;
    TReadOnlyFolder& operator=(const TReadOnlyFolder&) = delete;

private:
    void SetWritable(bool Writable) const;

    QString FPath;
    bool FWasRoot;
};
