#pragma once

#include <QDialog>
#include <QPointer>

#include <array>

class CxSkinButton;
class LessView;
class QLabel;

// The lesson editing palette "Редактирование урока": a captioned tool window with seven
// picture buttons, the file commands and undo above, the picture commands below, each with
// its label under it. The move button stays pushed while the lesson row waits for the
// moved picture to be dropped.
//
// Laid out from its template in dialog units (160 × 94, "Microsoft Sans Serif" 7). Enter and
// Esc give the keyboard focus back to the main window's active view. The close box destroys
// it. While one exists it is the program-wide palette (instance()).
class LessDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidthDu = 160;
    static constexpr int kHeightDu = 94;

    // The buttons act on `view`, which must outlive the palette or destroy it first.
    explicit LessDlg(LessView& view, QWidget* parent = nullptr);
    ~LessDlg() override;

    static LessDlg* instance();

    // The lesson row dropped the picture (or the move was cancelled there): the move button
    // comes up.
    void resetMoveButton();

    // A button by its control id (ResId::kIdc…), null for another number.
    CxSkinButton* button(int id) const;
    bool isMovePressed() const { return m_movePressed; }
    bool isActive() const { return m_active; }

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void toggleMove();

    QPointer<LessView> m_view;
    bool m_movePressed = false;
    bool m_active = true;
    // Controls 1005 and 1010 to 1015, in that order.
    std::array<CxSkinButton*, 7> m_buttons{};
};
