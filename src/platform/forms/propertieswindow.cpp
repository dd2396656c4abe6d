#include "platform/forms/propertieswindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QVBoxLayout>

namespace kavrin {

namespace {

// Counting stops here: the window must open at once, even on a folder with a huge listing.
constexpr int kMaxCounted = 100000;

QString typeText(const QFileInfo& info) {
    if (info.isDir()) return QStringLiteral("Folder");
    if (!info.isFile()) return QStringLiteral("Special file");
    // By name only: guessing from the content would open the file, which may block or be slow.
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension);
    if (mime.isValid() && !mime.isDefault() && !mime.comment().isEmpty()) return mime.comment();
    const QString suffix = info.suffix().toUpper();
    return suffix.isEmpty() ? QStringLiteral("File") : suffix + QStringLiteral(" File");
}

QString contentsText(const QString& path) {
    int files = 0;
    int folders = 0;
    QDirIterator it(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    while (it.hasNext() && files + folders < kMaxCounted) {
        it.next();
        if (it.fileInfo().isDir()) ++folders;
        else ++files;
    }
    const QLocale locale;
    QString text = QStringLiteral("%1 file%2, %3 folder%4")
                       .arg(locale.toString(files), files == 1 ? "" : "s", locale.toString(folders),
                            folders == 1 ? "" : "s");
    if (files + folders >= kMaxCounted) text = QStringLiteral("More than ") + text;
    return text;
}

QString dateText(const QDateTime& time) {
    return time.isValid() ? QLocale().toString(time, QLocale::LongFormat) : QStringLiteral("Unknown");
}

QString permissionText(QFile::Permissions p) {
    const auto bit = [p](QFile::Permission flag, char c) { return (p & flag) ? QChar(c) : QChar('-'); };
    QString s;
    s += bit(QFile::ReadOwner, 'r');
    s += bit(QFile::WriteOwner, 'w');
    s += bit(QFile::ExeOwner, 'x');
    s += bit(QFile::ReadGroup, 'r');
    s += bit(QFile::WriteGroup, 'w');
    s += bit(QFile::ExeGroup, 'x');
    s += bit(QFile::ReadOther, 'r');
    s += bit(QFile::WriteOther, 'w');
    s += bit(QFile::ExeOther, 'x');
    return s;
}

QString canonical(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

}  // namespace

QString sizeText(qint64 bytes) {
    const QLocale locale;
    const double kb = double(bytes) / 1024.0;
    const int decimals = kb < 10 ? 2 : kb < 100 ? 1 : 0;
    return QStringLiteral("%1 KB (%2 byte%3)")
        .arg(locale.toString(kb, 'f', decimals), locale.toString(bytes), bytes == 1 ? "" : "s");
}

std::vector<std::pair<QString, QString>> fileProperties(const QString& path) {
    if (path.trimmed().isEmpty()) return {};
    const QFileInfo info(path);
    if (!info.exists()) return {};
    std::vector<std::pair<QString, QString>> lines;
    const QString name = info.fileName().isEmpty() ? info.absoluteFilePath() : info.fileName();
    lines.emplace_back(QStringLiteral("Name"), name);
    lines.emplace_back(QStringLiteral("Type"), typeText(info));
    lines.emplace_back(QStringLiteral("Location"), info.absolutePath());
    if (info.isDir())
        lines.emplace_back(QStringLiteral("Contains"), contentsText(info.absoluteFilePath()));
    else
        lines.emplace_back(QStringLiteral("Size"), sizeText(info.size()));
    if (info.isSymLink())
        lines.emplace_back(QStringLiteral("Link to"), info.symLinkTarget());
    lines.emplace_back(QStringLiteral("Created"), dateText(info.birthTime()));
    lines.emplace_back(QStringLiteral("Modified"), dateText(info.lastModified()));
    lines.emplace_back(QStringLiteral("Accessed"), dateText(info.lastRead()));
    QString owner = info.owner().isEmpty() ? QString::number(info.ownerId()) : info.owner();
    const QString group = info.group().isEmpty() ? QString::number(info.groupId()) : info.group();
    lines.emplace_back(QStringLiteral("Owner"), owner + QStringLiteral(", group ") + group);
    lines.emplace_back(QStringLiteral("Permissions"), permissionText(info.permissions()));
    return lines;
}

PropertiesWindow::PropertiesWindow(const QString& path, QWidget* owner)
    : QDialog(owner), path_(canonical(path)) {
    setObjectName(QStringLiteral("PropertiesWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    const QFileInfo info(path_);
    const QString name = info.fileName().isEmpty() ? path_ : info.fileName();
    setWindowTitle(name + QStringLiteral(" Properties"));

    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    for (const auto& [label, text] : fileProperties(path_)) {
        auto* value = new QLabel(text, this);
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        value->setWordWrap(true);
        form->addRow(label + ':', value);
        fields_.emplace_back(label, value);
    }
    layout->addLayout(form);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);

    // Shown as facts, not switches: this window changes nothing on disk. The owner's write bit
    // plays the part of the read-only attribute, whoever looks at the file.
    readOnly_ = info.exists() && !(info.permissions() & QFile::WriteOwner);
    hidden_ = info.isHidden();
    auto* attributes = new QHBoxLayout;
    auto* readOnly = new QCheckBox(QStringLiteral("Read-only"), this);
    readOnly->setChecked(readOnly_);
    readOnly->setEnabled(false);
    auto* hidden = new QCheckBox(QStringLiteral("Hidden"), this);
    hidden->setChecked(hidden_);
    hidden->setEnabled(false);
    attributes->addWidget(new QLabel(QStringLiteral("Attributes:"), this));
    attributes->addWidget(readOnly);
    attributes->addWidget(hidden);
    attributes->addStretch();
    layout->addLayout(attributes);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

QString PropertiesWindow::fieldText(const QString& label) const {
    for (const auto& [name, value] : fields_)
        if (name == label) return value->text();
    return QString();
}

bool PropertiesWindow::readOnlyShown() const { return readOnly_; }
bool PropertiesWindow::hiddenShown() const { return hidden_; }

PropertiesWindow* PropertiesWindow::findFor(const QString& path) {
    const QString wanted = canonical(path);
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<PropertiesWindow*>(w); window && window->path_ == wanted)
            return window;
    return nullptr;
}

}  // namespace kavrin
