#pragma once

#include <QObject>
#include <QString>

// The program's one document. All content lives in the views' scenes, so the document holds
// nothing but a modified flag; opening a file as a document reads nothing.
class CKovrelDoc : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    bool isModified() const { return m_modified; }
    void setModified(bool modified) { m_modified = modified; }

    // The standard new and open commands: there is nothing to read or to reset but the flag.
    void newDocument() { m_modified = false; }
    void openDocument(const QString& path) {
        (void)path;
        m_modified = false;
    }

private:
    bool m_modified = false;
};
