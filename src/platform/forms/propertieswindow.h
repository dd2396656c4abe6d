#pragma once
// Our own properties window for a file or folder: what the desktop's property sheet told the user
// (name, type, location, size, dates, permissions, attributes), in a small modeless window.
#include <QDialog>
#include <QString>
#include <utility>
#include <vector>

class QLabel;

namespace kavrin {

// Label and text of each line the window shows, in order; empty when the path does not exist.
std::vector<std::pair<QString, QString>> fileProperties(const QString& path);

// "1,201 bytes (1.17 KB)": the exact count and the rounded kilobytes the user reads first.
QString sizeText(qint64 bytes);

class PropertiesWindow : public QDialog {
    Q_OBJECT
public:
    // Shows the properties of an existing path; callers check that it exists.
    explicit PropertiesWindow(const QString& path, QWidget* owner = nullptr);

    QString path() const { return path_; }
    // The text shown beside `label` ("Size", "Modified", ...), or "" when there is no such line.
    QString fieldText(const QString& label) const;
    bool readOnlyShown() const;
    bool hiddenShown() const;

    // The open window for `path`, if there is one.
    static PropertiesWindow* findFor(const QString& path);

private:
    QString path_;
    std::vector<std::pair<QString, QLabel*>> fields_;
    bool readOnly_ = false;
    bool hidden_ = false;
};

}  // namespace kavrin
