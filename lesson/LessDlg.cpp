#include "LessDlg.h"

#include "ActiveViewFocus.h"
#include "CxSkinButton.h"
#include "DialogUnits.h"
#include "LessView.h"
#include "ResourceIds.h"

#include <QEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>

namespace {

LessDlg* g_instance = nullptr;

// The template's controls, positions and sizes in dialog units: each picture button with the
// label under it.
struct Rect {
    int x, y, w, h;
};
struct ButtonSpec {
    int id;
    Rect button;
    int bitmap;
    Rect label;
    const char* text;
};
// Controls 1005 and 1010 to 1015, in that order.
constexpr std::array<ButtonSpec, 7> kButtons{{
    {ResId::kIdcButton,
     {4, 52, 48, 21},
     ResId::kBmpAddFromFile,
     {4, 74, 44, 17},
     "Добавить из файла"},
    {ResId::kIdcDeletePicture,
     {56, 52, 48, 21},
     ResId::kBmpDeletePicture,
     {56, 74, 48, 18},
     "Удалить иллюстрацию"},
    {ResId::kIdcMovePicture,
     {108, 52, 48, 21},
     ResId::kBmpMovePicture,
     {112, 74, 44, 18},
     "Перенести иллюстрацию"},
    {ResId::kIdcUndo, {120, 2, 32, 20}, ResId::kBmpUndo, {119, 23, 34, 17}, "Отменить действие"},
    {ResId::kIdcSaveLesson,
     {78, 2, 32, 20},
     ResId::kBmpSaveLesson,
     {76, 24, 32, 18},
     "Сохранить урок"},
    {ResId::kIdcNewLesson, {4, 2, 32, 20}, ResId::kBmpNewLesson, {8, 24, 23, 18}, "Новый урок"},
    {ResId::kIdcOpenLesson,
     {40, 2, 34, 20},
     ResId::kBmpOpenLesson,
     {39, 24, 32, 18},
     "Открыть урок"},
}};

// The template's box, widened about its centre (within the palette) until the longest word
// fits: Cyrillic words are wider than the font's average character, and a word cut at both
// ends reads as another word.
QRect labelRect(QRect box, const QString& text, const QFontMetrics& metrics, QRect client) {
    int widest = 0;
    for (const QString& word : text.split(u' ', Qt::SkipEmptyParts))
        widest = std::max(widest, metrics.horizontalAdvance(word) + 2);
    if (widest <= box.width())
        return box;
    const int grow = widest - box.width();
    box.adjust(-grow / 2, 0, grow - grow / 2, 0);
    if (box.left() < client.left())
        box.moveLeft(client.left());
    if (box.right() > client.right())
        box.moveRight(client.right());
    return box;
}

} // namespace

LessDlg::LessDlg(LessView& view, QWidget* parent)
    : QDialog(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_view(&view) {
    setWindowTitle(QStringLiteral("Редактирование урока"));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose); // the close box destroys the palette
    ActiveViewFocus::takeEnterAndEsc(this);
    const QFont font = DialogUnits::templateFont(QStringLiteral("Microsoft Sans Serif"), 7);
    setFont(font);
    const DialogUnits du(font);
    setFixedSize(du.size(kWidthDu, kHeightDu));

    for (std::size_t i = 0; i < kButtons.size(); ++i) {
        const ButtonSpec& b = kButtons[i];
        const QString text = QString::fromUtf8(b.text);
        auto* button = new CxSkinButton(this);
        button->setGeometry(du.rect(b.button.x, b.button.y, b.button.w, b.button.h));
        // One bitmap for the normal, pressed and hover looks, with a 3-D edge.
        button->applySkin(b.bitmap, b.bitmap, b.bitmap, 0, 0, 0, CxSkinButton::Normal, true, 0);
        button->setAccessibleName(text); // the picture is the button's only face
        button->installEventFilter(this);
        m_buttons[i] = button;

        auto* label = new QLabel(text, this);
        label->setGeometry(labelRect(du.rect(b.label.x, b.label.y, b.label.w, b.label.h), text,
                                     QFontMetrics(font), QRect(QPoint(0, 0), size())));
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setWordWrap(true);
    }
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    // An etched line is two pixels: keep both visible under the one-unit template height.
    const QRect at = du.rect(4, 45, 154, 1);
    line->setGeometry(at.x(), at.y(), at.width(), std::max(2, at.height()));

    auto on = [this](int id, auto&& action) {
        connect(button(id), &QPushButton::clicked, this, [this, action] {
            if (m_view)
                action(*m_view);
        });
    };
    on(ResId::kIdcNewLesson, [](LessView& v) { v.lesson().newLesson(); });
    on(ResId::kIdcOpenLesson, [](LessView& v) { v.openLessonAndRelayout(); });
    on(ResId::kIdcSaveLesson, [](LessView& v) { v.lesson().saveLessonFile(); });
    on(ResId::kIdcUndo, [](LessView& v) { v.undoEdit(); });
    on(ResId::kIdcButton, [](LessView& v) { v.lesson().addPictureFromFile(); });
    on(ResId::kIdcDeletePicture, [](LessView& v) { v.deletePicture(); });
    connect(button(ResId::kIdcMovePicture), &QPushButton::clicked, this, &LessDlg::toggleMove);

    g_instance = this;
}

LessDlg::~LessDlg() {
    if (g_instance == this)
        g_instance = nullptr;
}

LessDlg* LessDlg::instance() {
    return g_instance;
}

CxSkinButton* LessDlg::button(int id) const {
    for (std::size_t i = 0; i < kButtons.size(); ++i)
        if (kButtons[i].id == id)
            return m_buttons[i];
    return nullptr;
}

void LessDlg::toggleMove() {
    CxSkinButton* move = button(ResId::kIdcMovePicture);
    if (!m_active) {
        // A click that reached an inactive palette only keeps the pushed look.
        if (m_movePressed)
            move->setState(true);
        return;
    }
    if (!m_movePressed) {
        if (m_view && m_view->beginMovePicture()) {
            move->setState(true);
            m_movePressed = true;
        }
        return;
    }
    m_movePressed = false; // before the view calls resetMoveButton
    if (m_view)
        m_view->cancelMovePicture();
    move->setState(false);
}

void LessDlg::resetMoveButton() {
    button(ResId::kIdcMovePicture)->setState(false);
    m_movePressed = false;
}

bool LessDlg::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate)
        m_active = true;
    else if (event->type() == QEvent::WindowDeactivate)
        m_active = false;
    return QDialog::event(event);
}

bool LessDlg::eventFilter(QObject* watched, QEvent* event) {
    // A click on the palette activates it, even where the window system does not say so.
    if (event->type() == QEvent::MouseButtonPress)
        m_active = true;
    return QDialog::eventFilter(watched, event);
}
