#include "MessagePrompter.h"

#include <QFileDialog>
#include <QMessageBox>

namespace yanlan {

void MessagePrompter::inform(const QString &text)
{
    QMessageBox box(QMessageBox::Information, QStringLiteral("提示"), text, QMessageBox::Ok, m_parent);
    box.exec();
}

bool MessagePrompter::confirm(const QString &text)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("确认"), text,
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

QString DialogSaveFileChooser::chooseSaveFile(const QString &suggestedName, const QString &filter)
{
    QStringList parts = filter.split(QLatin1Char('|'));
    QString qtFilter = filter;
    if (parts.size() == 2)
        qtFilter = QStringLiteral("%1 (%2)").arg(parts.at(0), parts.at(1));
    QFileDialog dialog(m_parent, QString(), suggestedName, qtFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // the export asks itself, about the .xls file it really writes
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.selectFile(suggestedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace yanlan
