#pragma once
// The standard file dialogs, behind one replaceable seam like the message boxes, and
// what the windows propose in them.

#include <QString>
#include <QStringList>

class QWidget;

namespace geolago::ui {

// The file named in a save dialog and the file type chosen there; an empty path when
// the dialog was cancelled.
struct SaveChoice {
    QString path;
    QString filter;
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // The existing file the user picks, the dialog starting in `folder`; empty when
    // cancelled.
    virtual QString openFileName(QWidget* parent, const QString& caption, const QString& folder) = 0;
    // The file the user names, `proposed` offered first, of a type among `filters`
    // ("Image PNG (*.png)"), the first one chosen at the start.
    virtual SaveChoice saveFileName(QWidget* parent, const QString& caption, const QString& proposed,
                                    const QStringList& filters) = 0;
};

// The dialogs on the screen: QFileDialog.
class ScreenDialogs : public FileDialogs {
public:
    QString openFileName(QWidget* parent, const QString& caption, const QString& folder) override;
    SaveChoice saveFileName(QWidget* parent, const QString& caption, const QString& proposed,
                            const QStringList& filters) override;
};

// Where the dialogs go now; the screen unless replaced.
FileDialogs& fileDialogs();

// Replaces the dialogs; nullptr puts the screen back.
void setFileDialogs(FileDialogs* dialogs);

// The folder an open dialog starts in for a field holding `fieldText`: the folder the
// text names or holds its file, when it exists, else the shipped example's folder.
QString folderToOpenFrom(const QString& fieldText);

// The folder a save dialog proposes: that of the points file when it can be written
// to, else the user's home folder.
QString savingFolder(const QString& pointsFile);

// A file name made of `title` (characters a file name cannot hold replaced by "_";
// "correlogramme" when nothing is left) and `suffix`.
QString suggestedFileName(const QString& title, const QString& suffix);

// `path` as typed when it already ends in one of the `known` suffixes (any case), else
// with `suffix` added: the type chosen in the dialog.
QString withSuffix(const QString& path, const QString& suffix, const QStringList& known);

}  // namespace geolago::ui
