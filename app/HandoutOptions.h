#pragma once

#include <QWidget>

class QComboBox;

// How many pictures a handout puts on a page (1, 2, 4 or 6): the choice in the print dialog's
// options and in the PDF command's dialog, remembered in the program's profile.
class HandoutOptions : public QWidget {
    Q_OBJECT
public:
    explicit HandoutOptions(QWidget* parent = nullptr);

    int perPage() const;
    // Stores the choice for the next handout.
    void remember() const;

    static int rememberedPerPage();

private:
    QComboBox* m_perPage = nullptr;
};

// The PDF command's question: pictures to a page. 0 when cancelled, else the choice
// (remembered).
int askHandoutPerPage(QWidget* parent);
