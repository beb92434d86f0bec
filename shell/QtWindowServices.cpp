#include "QtWindowServices.h"

#include "ShellPolicy.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPointer>
#include <QRegularExpression>
#include <QTranslator>

namespace {

// A box sized for a short text is narrower than its title, and the window manager cuts the
// title down to "T…a". Room for the title in a bold face, plus the title bar's icon and buttons.
void keepTitleVisible(QMessageBox& box) {
    constexpr int kTitleBarExtras = 140;
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const int wanted =
        QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + kTitleBarExtras;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

QWidget* ownerWindow() {
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

QMessageBox::Icon qtIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// "*.*" means every file on Windows but only names with a dot here.
QString qtFilter(const QString& filter) {
    QString out = filter;
    static const QRegularExpression anyFile(QStringLiteral("(^|[\\s(;])\\*\\.\\*(?=[\\s);]|$)"));
    out.replace(anyFile, QStringLiteral("\\1*"));
    return out;
}

bool desktopOpen(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

} // namespace

QtWindowServices::QtWindowServices()
    : m_contentRoot(QCoreApplication::applicationDirPath() + QStringLiteral("/source")),
      m_helpRoot(QCoreApplication::applicationDirPath()), m_opener(desktopOpen) {
    WindowServices::install(this);
}

QtWindowServices::~QtWindowServices() {
    if (&WindowServices::instance() == this)
        WindowServices::install(nullptr);
}

void QtWindowServices::setContentRoot(const QString& folder) {
    m_contentRoot = folder;
}

void QtWindowServices::setHelpRoot(const QString& folder) {
    m_helpRoot = folder;
}

void QtWindowServices::setOpener(Opener opener) {
    m_opener = opener ? std::move(opener) : Opener(desktopOpen);
}

void QtWindowServices::setHelpViewer(HelpViewer viewer) {
    m_helpViewer = std::move(viewer);
}

MsgAnswer QtWindowServices::messageBox(const QString& text, const QString& title,
                                       MsgButtons buttons, MsgIcon icon) {
    // On the heap: the owner may close while the box is open, and takes its children along.
    QPointer<QMessageBox> box = new QMessageBox(ownerWindow());
    box->setWindowTitle(title);
    // Messages carry names read from files: never let them be taken for markup.
    box->setTextFormat(Qt::PlainText);
    box->setText(text);
    box->setIcon(qtIcon(icon));
    box->setWindowModality(Qt::ApplicationModal);
    switch (buttons) {
    case MsgButtons::Ok:
        box->setStandardButtons(QMessageBox::Ok);
        box->setDefaultButton(QMessageBox::Ok);
        box->setEscapeButton(QMessageBox::Ok);
        break;
    case MsgButtons::YesNo:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton(QMessageBox::Yes);
        box->setEscapeButton(QMessageBox::No);
        break;
    case MsgButtons::YesNoCancel:
        box->setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box->setDefaultButton(QMessageBox::Yes);
        box->setEscapeButton(QMessageBox::Cancel);
        break;
    }
    keepTitleVisible(*box);
    box->exec();
    if (!box)
        return safestAnswer(buttons);
    const QMessageBox::StandardButton pressed = box->standardButton(box->clickedButton());
    delete box;
    switch (pressed) {
    case QMessageBox::Ok:
        return MsgAnswer::Ok;
    case QMessageBox::Yes:
        return MsgAnswer::Yes;
    case QMessageBox::No:
        return MsgAnswer::No;
    case QMessageBox::Cancel:
        return MsgAnswer::Cancel;
    default:
        return safestAnswer(buttons);
    }
}

FileDialogResult QtWindowServices::fileDialog(const FileDialogRequest& request) {
    // The dialog may be deleted from under us if its owner goes while it is open.
    QPointer<QFileDialog> dialog = new QFileDialog(ownerWindow(), request.title);
    dialog->setAttribute(Qt::WA_DeleteOnClose, false);
    dialog->setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    if (request.save)
        dialog->setFileMode(QFileDialog::AnyFile);
    else
        dialog->setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (request.save && !request.overwritePrompt)
        dialog->setOption(QFileDialog::DontConfirmOverwrite, true);
    if (!request.filter.isEmpty())
        dialog->setNameFilter(qtFilter(request.filter));
    if (!request.defaultSuffix.isEmpty())
        dialog->setDefaultSuffix(request.defaultSuffix);
    if (!request.directory.isEmpty())
        dialog->setDirectory(request.directory);
    if (!request.fileName.isEmpty())
        dialog->selectFile(request.fileName);

    FileDialogResult result;
    const int code = dialog->exec();
    if (!dialog)
        return result;
    const QStringList chosen = dialog->selectedFiles();
    delete dialog;
    if (code != QDialog::Accepted || chosen.isEmpty() || chosen.first().isEmpty())
        return result;
    result.accepted = true;
    result.path = QDir::cleanPath(QFileInfo(chosen.first()).absoluteFilePath());
    result.fileTitle = QFileInfo(result.path).fileName();
    return result;
}

bool QtWindowServices::openChecked(const QString& root, const QString& path,
                                   const QString& missingText, const HelpViewer& viewer) {
    const ShellPolicy::Check check = ShellPolicy::check(root, path);
    if (check.allowed())
        return viewer ? viewer(check.resolvedPath)
                      : m_opener(QUrl::fromLocalFile(check.resolvedPath));
    if (check.verdict == ShellPolicy::Verdict::EmptyPath)
        return false;
    const QString shown = QDir::toNativeSeparators(path);
    if (check.verdict == ShellPolicy::Verdict::Missing)
        messageBox(missingText.arg(shown), kAppName, MsgButtons::Ok, MsgIcon::Exclamation);
    else
        messageBox(QStringLiteral("Файл не открыт: открываются только рисунки, видео, "
                                  "анимация и документы (RTF, HTML, PDF) из папки программы.\n%1")
                       .arg(shown),
                   kAppName, MsgButtons::Ok, MsgIcon::Exclamation);
    return false;
}

bool QtWindowServices::shellOpen(const QString& path) {
    return openChecked(m_contentRoot, path, QStringLiteral("Файл не найден:\n%1"));
}

bool QtWindowServices::showHelp(const QString& helpFile) {
    return openChecked(m_helpRoot, helpFile, QStringLiteral("Файл справки не найден:\n%1"),
                       m_helpViewer);
}

bool installRussianTranslation(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral("qtbase_ru"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}
