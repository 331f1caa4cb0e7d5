// Widgets from a dialog template, laid out in dialog units, with the dialog manager's keys.
#include "framework/qt/dialog_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QShortcut>
#include <QUrl>
#include <algorithm>
#include <optional>

#include "framework/control_label.h"
#include "framework/qt/icon_image.h"
#include "framework/qt/qt_text.h"
#include "framework/win_defs.h"

namespace afx_qt {

namespace {

Qt::WindowFlags WindowFlagsFor(const DialogTemplate& dialogTemplate) {
    // A window shown on the task bar is a main window to the window manager, not a dialog.
    Qt::WindowFlags flags = (dialogTemplate.exStyle & WS_EX_APPWINDOW) ? Qt::Window : Qt::Dialog;
    flags |= Qt::CustomizeWindowHint;
    if ((dialogTemplate.style & WS_CAPTION) == WS_CAPTION) {
        flags |= Qt::WindowTitleHint;
    }
    if (dialogTemplate.style & WS_SYSMENU) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (dialogTemplate.style & WS_MINIMIZEBOX) {
            flags |= Qt::WindowMinimizeButtonHint;
        }
        if (dialogTemplate.style & WS_MAXIMIZEBOX) {
            flags |= Qt::WindowMaximizeButtonHint;
        }
    }
    return flags;
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int alphabetWidth = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {AverageCharWidth(alphabetWidth), metrics.height()};
}

// Where the next label to the right in the same row begins, if there is one.
std::optional<int> NextLabelLeft(const QLabel& label, const QList<QLabel*>& labels) {
    const QRect rect = label.geometry();
    std::optional<int> left;
    for (const QLabel* other : labels) {
        const QRect otherRect = other->geometry();
        const bool sameRow = otherRect.top() <= rect.bottom() && otherRect.bottom() >= rect.top();
        if (other != &label && sameRow && otherRect.left() > rect.left()) {
            left = std::min(left.value_or(otherRect.left()), otherRect.left());
        }
    }
    return left;
}

// The templates were measured with a proportional face whose kana are narrower than the
// stand-in's, so a label's text may run past its rectangle, or up to the next label in its row
// so that the two read as one word. Such a label is set 1 pixel per character tighter, about as
// that face would set it, and grows to the right if that is not enough. A label of Latin
// characters only just grows: tightened, its blanks all but vanish.
void FitLabels(const QWidget& window) {
    QList<QLabel*> labels;
    for (QLabel* label : window.findChildren<QLabel*>(Qt::FindDirectChildrenOnly)) {
        if (!label->text().isEmpty()) {
            labels << label;
        }
    }
    for (QLabel* label : labels) {
        const QString text = label->text();
        int room = label->width();
        if (const std::optional<int> nextLeft = NextLabelLeft(*label, labels)) {
            // Half an em keeps neighbouring labels apart as separate words.
            const int wordGap = label->fontInfo().pixelSize() / 2;
            room = std::min(room, *nextLeft - wordGap - label->x());
        }
        if (label->fontMetrics().horizontalAdvance(text) <= room) {
            continue;
        }
        const bool latinOnly =
            std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
        if (!latinOnly) {
            QFont tighter = label->font();
            tighter.setLetterSpacing(QFont::AbsoluteSpacing, -1);
            label->setFont(tighter);
        }
        label->resize(std::max(label->width(), label->fontMetrics().horizontalAdvance(text)),
                      label->height());
    }
}

Qt::FocusPolicy FocusPolicyFor(const DialogControl& control) {
    return (control.style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus;
}

// As the dialog manager focuses a control: an edit box gets its whole text selected.
void FocusWithTextSelected(QWidget* control) {
    if (control == nullptr) {
        return;
    }
    control->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->selectAll();
    }
}

// The local files a drag carries; empty when it carries anything else as well.
QList<QUrl> LocalFiles(const QMimeData* data) {
    QList<QUrl> urls = data != nullptr ? data->urls() : QList<QUrl>();
    const bool allLocal =
        std::all_of(urls.begin(), urls.end(), [](const QUrl& url) { return url.isLocalFile(); });
    return allLocal ? urls : QList<QUrl>();
}

// The desktop's launcher entry of the program (Unity's, which KDE Plasma and Dash to Dock
// follow too), by the desktop entry's name. Without a session bus, or on a desktop that does
// not listen, nothing happens.
void UpdateLauncherEntry(const QVariantMap& properties) {
    const QString desktopFile = QGuiApplication::desktopFileName();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (desktopFile.isEmpty() || !bus.isConnected()) {
        return;
    }
    QDBusMessage update = QDBusMessage::createSignal(
        QStringLiteral("/io/github/pomuru/Cipher"),
        QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    update << QStringLiteral("application://%1.desktop").arg(desktopFile) << properties;
    bus.send(update);
}

}  // namespace

DialogWindow::DialogWindow(const DialogTemplate& dialogTemplate, afx_backend::WindowEvents& events,
                           QWidget* parent)
    : QDialog(parent, WindowFlagsFor(dialogTemplate)),
      events_(events),
      hasSystemMenu_((dialogTemplate.style & WS_SYSMENU) != 0) {
    setWindowTitle(ToQString(dialogTemplate.caption));
    setFont(QFont(ToQString(dialogTemplate.font.face), dialogTemplate.font.pointSize));
    baseUnits_ = BaseUnitsOf(font());
    std::vector<QWidget*> widgets;
    for (const DialogControl& control : dialogTemplate.controls) {
        widgets.push_back(CreateControl(control));
    }
    NameEditBoxes(dialogTemplate, widgets);
    FitLabels(*this);
    SizeWindow(dialogTemplate);
    if (hasSystemMenu_) {
        AddSystemMenuKeys();
    }
}

// Desktops here give a program no say in the menu of the window's title bar, so the window
// menu is the window's own context menu. Its keys open it wherever the focus is, even in an
// edit box, which loses its keyboard-opened context menu for it.
void DialogWindow::AddSystemMenuKeys() {
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
        auto* shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this,
                [this] { ShowSystemMenu(mapToGlobal(QPoint(0, 0))); });
    }
}

// The window system's own item, Close, then the program's.
void DialogWindow::ShowSystemMenu(const QPoint& globalPos) {
    // The menu's "&" marks access keys as the items' texts do.
    QMenu menu(this);
    menu.addAction(ToQString(events_.Text(afx_backend::FrameworkText::CloseItem)))
        ->setData(SC_CLOSE);
    for (const afx_backend::MenuItem& item : events_.WindowMenuItems()) {
        if (item.separator) {
            menu.addSeparator();
        } else {
            menu.addAction(ToQString(item.text))->setData(item.id);
        }
    }
    const QAction* chosen = menu.exec(globalPos);
    if (chosen != nullptr) {
        events_.OnSysCommand(chosen->data().toUInt());
    }
}

void DialogWindow::contextMenuEvent(QContextMenuEvent* event) {
    if (!hasSystemMenu_) {
        QDialog::contextMenuEvent(event);
        return;
    }
    event->accept();
    ShowSystemMenu(event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                               : mapToGlobal(QPoint(0, 0)));
}

// The templates are all placed at 0, 0, and left unmoved QDialog opens centred on its parent,
// or on the screen without one, as such a template does.
void DialogWindow::SizeWindow(const DialogTemplate& dialogTemplate) {
    const PixelRect client = DialogUnitsToPixels(dialogTemplate.rect, baseUnits_);
    // A modal frame is not resizable.
    if (dialogTemplate.style & DS_MODALFRAME) {
        setFixedSize(client.width, client.height);
    } else {
        resize(client.width, client.height);
    }
}

QWidget* DialogWindow::CreateControl(const DialogControl& control) {
    QWidget* widget = nullptr;
    switch (control.kind) {
        case ControlKind::Edit: {
            auto* edit = new QLineEdit(this);
            edit->setFrame((control.style & WS_BORDER) != 0);
            // Dropped files go to the window, as the system's edit boxes leave them, and not
            // into the box as text.
            edit->setAcceptDrops(false);
            widget = edit;
            break;
        }
        case ControlKind::PushButton:
        case ControlKind::DefPushButton: {
            auto* button = new QPushButton(ToQString(control.text), this);
            // Enter presses a focused push button, else the default one (see keyPressEvent);
            // Qt's automatic defaults would press the first button instead.
            button->setAutoDefault(false);
            if (control.kind == ControlKind::DefPushButton) {
                button->setDefault(true);
                defaultCommand_ = control.id;
            }
            widget = button;
            break;
        }
        case ControlKind::AutoCheckBox:
            widget = new QCheckBox(ToQString(control.text), this);
            break;
        case ControlKind::Label: {
            auto* label = new QLabel(ToQString(LabelText(control)), this);
            label->setTextFormat(Qt::PlainText);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            widget = label;
            break;
        }
        case ControlKind::Icon: {
            auto* picture = new QLabel(this);
            if (const afx_backend::IconPtr icon = events_.FindIcon(control.icon)) {
                // An icon control shows the icon at its own size, whatever the rectangle.
                picture->setPixmap(icon->Icon().pixmap(32, 32));
            }
            widget = picture;
            break;
        }
    }
    const PixelRect rect = DialogUnitsToPixels(control.rect, baseUnits_);
    widget->setGeometry(rect.x, rect.y, rect.width, rect.height);
    widget->setObjectName(ControlName(control.id));
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setFocusPolicy(FocusPolicyFor(control));
        connect(button, &QAbstractButton::clicked, this,
                [this, id = control.id] { events_.OnCommand(id); });
    } else if (control.kind == ControlKind::Edit) {
        widget->setFocusPolicy(FocusPolicyFor(control));
    }
    if (firstTabStop_ == nullptr && (control.style & WS_TABSTOP)) {
        firstTabStop_ = widget;
    }
    if (control.id != IDC_STATIC) {
        controls_.emplace(control.id, widget);
    }
    return widget;
}

// A screen reader speaks an edit box by the label a sighted user reads above it, whatever
// the template's order.
void DialogWindow::NameEditBoxes(const DialogTemplate& dialogTemplate,
                                 const std::vector<QWidget*>& widgets) {
    const auto widgetOf = [&](const DialogControl& control) {
        return widgets[static_cast<std::size_t>(&control - dialogTemplate.controls.data())];
    };
    for (const DialogControl& control : dialogTemplate.controls) {
        const DialogControl* label =
            control.kind == ControlKind::Edit ? LabelAbove(dialogTemplate, control) : nullptr;
        if (label != nullptr) {
            widgetOf(control)->setAccessibleName(ToQString(LabelText(*label)));
            static_cast<QLabel*>(widgetOf(*label))->setBuddy(widgetOf(control));
        }
    }
}

int DialogWindow::ControlIdAt(const QPoint& position) const {
    const QWidget* child = childAt(position);
    for (const auto& [id, widget] : controls_) {
        if (child != nullptr && (widget == child || widget->isAncestorOf(child))) {
            return id;
        }
    }
    return 0;
}

QWidget* DialogWindow::Control(int id) const {
    const auto found = controls_.find(id);
    return found != controls_.end() ? found->second : nullptr;
}

QString DialogWindow::ControlName(int id) {
    return QStringLiteral("control%1").arg(id);
}

void DialogWindow::FocusFirstTabStop() {
    FocusWithTextSelected(firstTabStop_);
}

void DialogWindow::EndModal(int result) {
    done(result);
}

void DialogWindow::SetCaption(std::string_view text) {
    setWindowTitle(ToQString(text));
    // Input stays queued until the handler returns; repaints and the title go out now.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

std::string DialogWindow::ControlText(int id) const {
    QWidget* control = Control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        return FromQString(edit->text());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        return FromQString(button->text());
    }
    if (auto* label = qobject_cast<QLabel*>(control)) {
        return FromQString(label->text());
    }
    return {};
}

void DialogWindow::SetControlText(int id, std::string_view text) {
    QWidget* control = Control(id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        edit->setText(ToQString(text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(ToQString(text));
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(ToQString(text));
    }
}

bool DialogWindow::IsChecked(int id) const {
    const auto* button = qobject_cast<QAbstractButton*>(Control(id));
    return button != nullptr && button->isChecked();
}

void DialogWindow::FocusControl(int id) {
    FocusWithTextSelected(Control(id));
}

// Qt keeps one icon per window and picks the size each place needs: the big and the small icon
// both go into it.
void DialogWindow::SetIcons(const afx_backend::IconImage* bigIcon,
                            const afx_backend::IconImage* smallIcon) {
    QIcon icon;
    for (const afx_backend::IconImage* image : {bigIcon, smallIcon}) {
        if (image != nullptr) {
            for (const QSize size : image->Icon().availableSizes()) {
                icon.addPixmap(image->Icon().pixmap(size));
            }
        }
    }
    setWindowIcon(icon);
}

void DialogWindow::AcceptFiles(bool accept) {
    setAcceptDrops(accept);
}

void DialogWindow::PostCommand(int id) {
    QMetaObject::invokeMethod(
        this, [this, id] { events_.OnCommand(id); }, Qt::QueuedConnection);
}

void DialogWindow::SetProgress(afx_backend::ProgressState state, std::uint64_t completed,
                               std::uint64_t total) {
    using afx_backend::ProgressState;
    // The entry has no bar of unknown length; an error asks for the user's attention.
    const bool bar = total > 0 && (state == ProgressState::Normal || state == ProgressState::Error);
    UpdateLauncherEntry(
        {{QStringLiteral("progress"), bar ? double(completed) / double(total) : 0.0},
         {QStringLiteral("progress-visible"), bar},
         {QStringLiteral("urgent"), state == ProgressState::Error}});
}

void DialogWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void DialogWindow::dropEvent(QDropEvent* event) {
    std::vector<std::string> files;
    for (const QUrl& url : LocalFiles(event->mimeData())) {
        // File names are bytes in the locale's encoding.
        files.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    }
    if (files.empty()) {
        return;
    }
    event->acceptProposedAction();
    events_.OnDropFiles(std::move(files), ControlIdAt(event->position().toPoint()));
}

void DialogWindow::reject() {
    events_.OnCommand(IDCANCEL);
}

void DialogWindow::keyPressEvent(QKeyEvent* event) {
    const auto modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (modifiers == Qt::NoModifier && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        // Only keys that the focused control left unhandled arrive here.
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            button->click();
        } else {
            events_.OnCommand(defaultCommand_);
        }
        return;
    }
    if (modifiers == Qt::NoModifier && key == Qt::Key_F1) {
        events_.OnCommand(ID_HELP);
        return;
    }
    QDialog::keyPressEvent(event);
}

void DialogWindow::closeEvent(QCloseEvent* event) {
    // A close request that arrives while a handler holds the thread (the caption's repaint lets
    // it through) would end the dialog under the handler's feet.
    if (events_.IsHandlerRunning()) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace afx_qt

namespace afx_backend {

int RunModalDialog(const DialogTemplate& dialogTemplate, WindowEvents& events,
                   DialogWindow* owner) {
    // Every window of this backend is a Qt one.
    afx_qt::DialogWindow window(
        dialogTemplate, events,
        owner != nullptr ? static_cast<afx_qt::DialogWindow*>(owner) : nullptr);
    window.setResult(IDCANCEL);
    if (events.OnInit(window)) {
        window.FocusFirstTabStop();
    }
    return window.exec();
}

}  // namespace afx_backend
