#include "panes/fileitems.h"

#include <QApplication>
#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <cstring>
#include <QStyle>

#include "documents/fileops.h"

namespace kavrin {

QString fileSizeText(qint64 bytes) {
    if (bytes < 0) bytes = 0;
    const QString digits = QString::number(bytes / 1024 + 1);
    // Every group of three gets its separator, so a gigabyte file reads as one.
    QString grouped;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) grouped += QLatin1Char(',');
        grouped += digits[i];
    }
    return grouped + QStringLiteral("KB");
}

QString fileTypeText(const QString& name) {
    const QString key = fileIconKey(name);
    if (key != QLatin1String("xxx")) return key.toUpper();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0) return QStringLiteral("???");
    return name.mid(dot + 1).toUpper();
}

FilePattern::FilePattern(const QString& pattern) {
    for (const QString& raw : pattern.split(QLatin1Char(';'))) {
        const QString part = raw.trimmed();
        if (part.isEmpty()) continue;
        if (part == QLatin1String("*.*") || part == QLatin1String("*")) {
            all_ = true;
            continue;
        }
        QString expression = QStringLiteral("^");
        for (const QChar c : part) {
            if (c == QLatin1Char('*')) expression += QStringLiteral(".*");
            else if (c == QLatin1Char('?')) expression += QLatin1Char('.');
            else expression += QRegularExpression::escape(QString(c));
        }
        expression += QLatin1Char('$');
        parts_.push_back(QRegularExpression(expression, QRegularExpression::CaseInsensitiveOption |
                                                            QRegularExpression::DotMatchesEverythingOption));
    }
    if (parts_.isEmpty()) all_ = true;
}

bool FilePattern::matches(const QString& name) const {
    if (all_) return true;
    for (const QRegularExpression& re : parts_)
        if (re.match(name).hasMatch()) return true;
    return false;
}

QString volumeNodeText(const Volume& volume) {
    const QString k = volume.rootPath;
    switch (volume.kind) {
    case VolumeKind::Removable:
        return QStringLiteral("Removable Disk (") + k + QLatin1Char(')');
    case VolumeKind::Network: {
        QString device = volume.device;
        QString server;
        QString share;
        if (device.startsWith(QLatin1String("//")) || device.startsWith(QLatin1String("\\\\"))) {
            device.replace(QLatin1Char('\\'), QLatin1Char('/'));
            const QString rest = device.mid(2);
            const qsizetype slash = rest.indexOf(QLatin1Char('/'));
            server = slash >= 0 ? rest.left(slash) : rest;
            share = slash >= 0 ? rest.mid(slash + 1) : QString();
        } else if (const qsizetype colon = device.indexOf(QLatin1Char(':')); colon > 0) {
            server = device.left(colon);
            share = device.mid(colon + 1);
        }
        if (!server.isEmpty() && !share.isEmpty())
            return share + QStringLiteral(" on '") + server + QStringLiteral("' (") + k + QLatin1Char(')');
        const QString label = volume.label.isEmpty() ? volume.device : volume.label;
        return label.isEmpty() ? QStringLiteral("(") + k + QLatin1Char(')') : label + QStringLiteral(" (") + k + QLatin1Char(')');
    }
    case VolumeKind::Optical:
        if (volume.label.isEmpty()) return QStringLiteral("CD-ROM (") + k + QLatin1Char(')');
        return volume.label + QStringLiteral(" (") + k + QLatin1Char(')');
    case VolumeKind::Fixed:
        break;
    }
    if (volume.label.isEmpty()) return QStringLiteral("(") + k + QLatin1Char(')');
    return volume.label + QStringLiteral(" (") + k + QLatin1Char(')');
}

QString volumeImageKey(VolumeKind kind) {
    switch (kind) {
    case VolumeKind::Removable: return QStringLiteral("floppy");
    case VolumeKind::Network: return QStringLiteral("netdrive");
    case VolumeKind::Optical: return QStringLiteral("cd");
    case VolumeKind::Fixed: break;
    }
    return QStringLiteral("drive");
}

namespace {

// The tag and script trees' images: a coloured badge with a sign, so the kinds of node tell
// apart at a glance whatever icon theme the desktop has.
QIcon resourceTreeImage(const QString& key) {
    struct Badge {
        const char* key;
        QRgb color;
        const char* sign;
    };
    static const Badge badges[] = {
        {"tag", 0x2f6db5, "<>"},      {"attribute", 0x3a8a3a, "="}, {"flag", 0x8a6d1f, "!"},
        {"value", 0x6a6a6a, "v"},     {"ie", 0x2a7fd4, "e"},        {"netscape", 0x1f7a7a, "n"},
        {"method", 0xb0502a, "()"},   {"object", 0x7a3ab0, "o"},    {"property", 0x3a6aa0, "p"},
        {"window", 0x405060, "w"},    {"reserved", 0xa03040, "r"},  {"event", 0xc08020, "on"},
    };
    if (key == QLatin1String("closedfolder")) return paneImage(QStringLiteral("folder"));
    for (const Badge& badge : badges) {
        if (key != QLatin1String(badge.key)) continue;
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(badge.color));
        p.drawRoundedRect(QRectF(1, 1, 14, 14), 3, 3);
        QFont font = p.font();
        font.setPixelSize(std::strlen(badge.sign) > 1 ? 8 : 11);
        font.setBold(true);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString::fromLatin1(badge.sign));
        return QIcon(pixmap);
    }
    return QIcon();
}

}  // namespace

QIcon paneImage(const QString& key) {
    struct Source {
        const char* theme;
        QStyle::StandardPixmap fallback;
    };
    static const QHash<QString, Source> sources{
        {"mycomputer", {"computer", QStyle::SP_ComputerIcon}},
        {"floppy", {"drive-removable-media", QStyle::SP_DriveFDIcon}},
        {"drive", {"drive-harddisk", QStyle::SP_DriveHDIcon}},
        {"netdrive", {"folder-remote", QStyle::SP_DriveNetIcon}},
        {"cd", {"media-optical", QStyle::SP_DriveCDIcon}},
        {"folder", {"folder", QStyle::SP_DirClosedIcon}},
        {"openfolder", {"folder-open", QStyle::SP_DirOpenIcon}},
        {"file_explorer", {"system-file-manager", QStyle::SP_DirIcon}},
        {"html_explorer", {"text-html", QStyle::SP_FileDialogDetailedView}},
        {"script_explorer", {"text-x-script", QStyle::SP_FileDialogListView}},
        {"project_explorer", {"x-office-document", QStyle::SP_FileDialogContentsView}},
        {"htm", {"text-html", QStyle::SP_FileIcon}},
        {"gif", {"image-x-generic", QStyle::SP_FileIcon}},
        {"txt", {"text-x-generic", QStyle::SP_FileIcon}},
        {"ini", {"text-x-generic", QStyle::SP_FileIcon}},
        {"reg", {"text-x-generic", QStyle::SP_FileIcon}},
        {"doc", {"x-office-document", QStyle::SP_FileIcon}},
        {"wri", {"x-office-document", QStyle::SP_FileIcon}},
        {"xls", {"x-office-spreadsheet", QStyle::SP_FileIcon}},
        {"mdb", {"x-office-spreadsheet", QStyle::SP_FileIcon}},
        {"zip", {"package-x-generic", QStyle::SP_FileIcon}},
        {"exe", {"application-x-executable", QStyle::SP_FileIcon}},
        {"bat", {"application-x-executable", QStyle::SP_FileIcon}},
        {"dll", {"application-x-sharedlib", QStyle::SP_FileIcon}},
        {"wav", {"audio-x-generic", QStyle::SP_MediaVolume}},
        {"mid", {"audio-x-generic", QStyle::SP_MediaVolume}},
        {"ttf", {"font-x-generic", QStyle::SP_FileIcon}},
        {"fon", {"font-x-generic", QStyle::SP_FileIcon}},
        {"hlp", {"help-browser", QStyle::SP_DialogHelpButton}},
        {"bas", {"text-x-script", QStyle::SP_FileIcon}},
        {"cls", {"text-x-script", QStyle::SP_FileIcon}},
        {"frm", {"text-x-script", QStyle::SP_FileIcon}},
        {"vbp", {"text-x-script", QStyle::SP_FileIcon}},
        {"xxx", {"application-x-generic", QStyle::SP_FileIcon}},
    };
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app) return QIcon();
    // The icons live as long as the application that drew them.
    struct Cache : QObject {
        using QObject::QObject;
        QHash<QString, QIcon> icons;
    };
    auto* cache = static_cast<Cache*>(
        app->findChild<QObject*>(QStringLiteral("kavrinPaneImages"), Qt::FindDirectChildrenOnly));
    if (!cache) {
        cache = new Cache(app);
        cache->setObjectName(QStringLiteral("kavrinPaneImages"));
    }
    QHash<QString, QIcon>& made = cache->icons;
    if (const auto it = made.constFind(key); it != made.cend()) return *it;
    if (QIcon drawn = resourceTreeImage(key); !drawn.isNull()) {
        made.insert(key, drawn);
        return drawn;
    }
    const Source source = sources.value(key, Source{"application-x-generic", QStyle::SP_FileIcon});
    QIcon icon = QIcon::fromTheme(QString::fromLatin1(source.theme));
    if (icon.isNull()) icon = QApplication::style()->standardIcon(source.fallback);
    made.insert(key, icon);
    return icon;
}

}  // namespace kavrin
