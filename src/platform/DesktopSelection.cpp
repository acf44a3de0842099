#include "platform/DesktopSelection.h"

#include <QClipboard>
#include <QGuiApplication>

QString ReadDesktopSelection(SelectionKind kind)
{
    if (QGuiApplication::platformName() == QLatin1String("wayland"))
        if (const std::optional<std::string> text = ReadSelectionWithHelper(kind))
            return QString::fromUtf8(text->data(), static_cast<qsizetype>(text->size()));
    const QString text =
        QGuiApplication::clipboard()->text(kind == SelectionKind::kPrimary ? QClipboard::Selection : QClipboard::Clipboard);
    // The first line is what counts: no need to carry megabytes further.
    return text.left(static_cast<qsizetype>(kSelectionReadBytes));
}
