// The desktop's common dialogs: files, colours and fonts.

#include "shell/platform/PlatformInternal.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>

namespace {

FileDialogResponder gFileResponder;
ColorChooserResponder gColorResponder;
FontChooserResponder gFontResponder;

// "Description (*.ext)|*.ext|..." pairs from the string table, as Qt filters.
QString QtFilter(int filterString) {
    QStringList parts = ToQString(LoadString(filterString)).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        if (description.isEmpty() && patterns.isEmpty()) continue;
        qsizetype paren = description.lastIndexOf('(');
        if (paren > 0) description = description.left(paren).trimmed();
        patterns.replace(';', ' ');
        filters << QStringLiteral("%1 (%2)").arg(description, patterns);
    }
    return filters.join(";;");
}

QWidget* DialogParent() {
    WindowRef main = MainWindow();
    return main != nullptr ? main->widget.data() : nullptr;
}

} // namespace

void SetFileDialogResponder(FileDialogResponder responder) { gFileResponder = std::move(responder); }
void SetColorChooserResponder(ColorChooserResponder responder) {
    gColorResponder = std::move(responder);
}
void SetFontChooserResponder(FontChooserResponder responder) {
    gFontResponder = std::move(responder);
}

bool OpenFileDialog(int titleString, int filterString, std::string& path) {
    if (gFileResponder) return gFileResponder(titleString, path);
    IdleBlocker block;
    QString start = ToQString(path);
    QString chosen = QFileDialog::getOpenFileName(DialogParent(), ToQString(LoadString(titleString)),
                                                  start, QtFilter(filterString));
    if (chosen.isEmpty()) return false;
    path = chosen.toStdString();
    return true;
}

bool SaveFileDialog(int titleString, int filterString, std::string& path,
                    const std::string& defaultExtension) {
    if (gFileResponder) return gFileResponder(titleString, path);
    IdleBlocker block;
    QFileDialog dialog(DialogParent(), ToQString(LoadString(titleString)), ToQString(path),
                       QtFilter(filterString));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (!defaultExtension.empty()) {
        QString extension = ToQString(defaultExtension);
        if (extension.startsWith('.')) extension.remove(0, 1);
        dialog.setDefaultSuffix(extension);
    }
    if (!path.empty()) dialog.selectFile(ToQString(path));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
    path = dialog.selectedFiles().first().toStdString();
    return true;
}

bool ChooseColor(RGBColor& color) {
    if (gColorResponder) return gColorResponder(color);
    IdleBlocker block;
    // QColorDialog keeps its 16 custom colours for the rest of the run.
    QColor chosen = QColorDialog::getColor(QColor(color.red, color.green, color.blue),
                                           DialogParent(), MessageTitle());
    if (!chosen.isValid()) return false;
    color = {static_cast<std::uint8_t>(chosen.red()), static_cast<std::uint8_t>(chosen.green()),
             static_cast<std::uint8_t>(chosen.blue())};
    return true;
}

bool ChooseFont(std::string& face, int& size, int& style) {
    if (gFontResponder) return gFontResponder(face, size, style);
    IdleBlocker block;
    QFont initial(ToQString(face));
    initial.setPointSize(size > 0 ? size : 10);
    initial.setBold(style & FontBold);
    initial.setItalic(style & FontItalic);
    initial.setUnderline(style & FontUnderline);
    initial.setStrikeOut(style & FontStrikeout);
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, initial, DialogParent(), MessageTitle());
    if (!ok) return false;
    face = FromQString(chosen.family());
    size = chosen.pointSize() > 0 ? chosen.pointSize() : size;
    style = (chosen.bold() ? FontBold : 0) | (chosen.italic() ? FontItalic : 0) |
            (chosen.underline() ? FontUnderline : 0) | (chosen.strikeOut() ? FontStrikeout : 0);
    return true;
}
