#include "windowbase/Prompter.h"

#include <QColorDialog>
#include <QCoreApplication>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>

#include <cmath>

QString MessageBoxTitle(const QString& title)
{
    // An untitled box would show the program's file name ("korvanta") above the text.
    return title.isEmpty() ? QStringLiteral("Pavix") : title;
}

void CWidgetPrompter::information(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::information(parent, MessageBoxTitle(title), text);
}

void CWidgetPrompter::warning(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::warning(parent, MessageBoxTitle(title), text, QMessageBox::Ok);
}

bool CWidgetPrompter::question(QWidget* parent, const QString& title, const QString& text)
{
    return QMessageBox::question(parent, MessageBoxTitle(title), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes)
           == QMessageBox::Yes;
}

int CWidgetPrompter::askSaveChanges(QWidget* parent, const QString& title, const QString& text)
{
    const int answer = QMessageBox::question(parent, MessageBoxTitle(title), text,
                                             QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                             QMessageBox::Yes);
    if (answer == QMessageBox::Yes)
        return SaveYes;
    return answer == QMessageBox::No ? SaveNo : SaveCancel;
}

bool CWidgetPrompter::confirm(QWidget* parent, const QString& title, const QString& text)
{
    return QMessageBox::question(parent, MessageBoxTitle(title), text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}

void CWidgetPrompter::critical(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox::critical(parent, MessageBoxTitle(title), text, QMessageBox::Ok);
}

QString CWidgetPrompter::getOpenFileName(QWidget* parent, const QString& caption, const QString& dir,
                                         const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, caption, dir, filter);
}

QString CWidgetPrompter::getSaveFileName(QWidget* parent, const QString& caption, const QString& dir,
                                         const QString& filter)
{
    return QFileDialog::getSaveFileName(parent, caption, dir, filter);
}

int IPrompter::runDialog(QDialog* dialog)
{
    return dialog ? dialog->exec() : 0;
}

namespace {
IPrompter* s_pPrompter = nullptr;
}

IPrompter* ShellPrompter()
{
    static CWidgetPrompter boxes;
    return s_pPrompter ? s_pPrompter : &boxes;
}

void SetShellPrompter(IPrompter* prompter)
{
    s_pPrompter = prompter;
}

QColor CWidgetPrompter::getColor(QWidget* parent, const QColor& initial)
{
    return QColorDialog::getColor(initial, parent, QString(), QColorDialog::ColorDialogOptions());
}

bool CWidgetPrompter::retryOrClose(QWidget* parent, const QString& title, const QString& text)
{
    return QMessageBox::information(parent, MessageBoxTitle(title), text, QMessageBox::Retry | QMessageBox::Close, QMessageBox::Close)
           == QMessageBox::Retry;
}
