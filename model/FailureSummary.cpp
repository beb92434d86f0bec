#include "FailureSummary.h"

#include "WindowServices.h"

namespace {

// "рисунок", "рисунка" or "рисунков", as the number asks.
QString picturesWord(int n) {
    const int lastTwo = n % 100;
    const int last = n % 10;
    if (last == 1 && lastTwo != 11)
        return QStringLiteral("рисунок");
    if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        return QStringLiteral("рисунка");
    return QStringLiteral("рисунков");
}

} // namespace

void FailureSummary::addFailure(const QString& message, const QString& name) {
    ++m_tried;
    if (m_failures++ == 0)
        m_firstMessage = message;
    if (name.isEmpty() || m_names.contains(name))
        return;
    if (m_names.size() < kNamesShown)
        m_names << name;
    else
        m_moreNames = true;
}

QString FailureSummary::text() const {
    if (m_failures == 0)
        return {};
    if (m_failures == 1)
        return m_firstMessage;
    QString text = QStringLiteral("Не удалось прочитать %1 %2 из %3")
                       .arg(m_failures)
                       .arg(picturesWord(m_failures))
                       .arg(m_tried);
    if (!m_names.isEmpty()) {
        QStringList quoted;
        for (const QString& name : m_names)
            quoted << QStringLiteral("«%1»").arg(name);
        text += QStringLiteral(": ") + quoted.join(QStringLiteral(", "));
        if (m_moreNames)
            text += QStringLiteral(" и другие");
    }
    return text + QLatin1Char('.');
}

void FailureSummary::show() {
    const QString message = text();
    clear(); // before the box: its modal loop may start the next load
    if (!message.isEmpty())
        messageBox(message);
}
