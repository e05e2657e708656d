// SPDX-License-Identifier: GPL-3.0-or-later
#include "recording/progressdialog.h"

#include "ui_progressdialog.h"

#include <QEvent>

ProgressDialog::ProgressDialog(int minimum, int maximum, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint)
    , ui(std::make_unique<Ui_ProgressDialog>())
{
    ui->setupUi(this);
    ui->progressBar->setRange(minimum, maximum);
    ui->progressBar->setValue(minimum);
    connect(ui->closeButton, &QPushButton::clicked, this, &ProgressDialog::canceled);
}

ProgressDialog::~ProgressDialog() = default;

void ProgressDialog::setValue(int value)
{
    ui->progressBar->setValue(value);
}

void ProgressDialog::setMinimum(int minimum)
{
    ui->progressBar->setMinimum(minimum);
}

void ProgressDialog::setMaximum(int maximum)
{
    ui->progressBar->setMaximum(maximum);
}

void ProgressDialog::setIndeterminate()
{
    ui->progressBar->setRange(0, 0);
}

void ProgressDialog::setInfo(const QString& text)
{
    ui->labelInfo->setText(text);
}

// The work decides when the dialog goes; Escape must not hide it midway.
void ProgressDialog::reject()
{
}

void ProgressDialog::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::LanguageChange)
        ui->retranslateUi(this);
    QDialog::changeEvent(event);
}
