// Answers every modal question from a script and records what was asked, so GUI tests
// run without nested event loops.
#pragma once

#include "ui/prompter.h"

#include <QDialog>
#include <QList>
#include <deque>
#include <functional>

namespace veltra {

class TScriptedPrompter final : public TPrompter {
public:
    void Message(QWidget*, const QString& text) override { messages << text; }
    bool Confirm(QWidget*, const QString& text, QPoint at) override {
        confirmations << text;
        confirmPlaces << at;
        return TakeFront(confirmAnswers, false);
    }
    QString OpenFileName(QWidget*, const TFileRequest& request) override {
        openRequests << request;
        return TakeFront(fileAnswers, QString());
    }
    QString SaveFileName(QWidget*, const TFileRequest& request) override {
        saveRequests << request;
        return TakeFront(fileAnswers, QString());
    }
    TSaveChoice AskSave(QWidget*, const QString& caption) override {
        saveQuestions << caption;
        return TakeFront(saveAnswers, TSaveChoice::Cancel);
    }
    int Pick(QWidget*, const QString&, const QStringList& items) override {
        picks << items;
        return TakeFront(pickAnswers, -1);
    }
    // The next scripted text, or a cancel when there is none.
    QString AskText(QWidget*, const QString&, const QString& label, bool& ok) override {
        textQuestions << label;
        ok = !textAnswers.empty();
        return TakeFront(textAnswers, QString());
    }
    // The next scripted answer drives the dialog's own controls; without one it is
    // cancelled.
    int ExecDialog(QDialog& dialog) override {
        dialogs << dialog.objectName();
        dialog.setResult(QDialog::Rejected);
        if (!dialogAnswers.empty()) {
            const std::function<void(QDialog&)> answer = dialogAnswers.front();
            dialogAnswers.pop_front();
            answer(dialog);
        }
        return dialog.result();
    }

    QStringList messages;
    QStringList confirmations;
    QList<QPoint> confirmPlaces;
    QList<TFileRequest> openRequests;
    QList<TFileRequest> saveRequests;
    QStringList saveQuestions;
    QList<QStringList> picks;
    QStringList dialogs;
    QStringList textQuestions;

    std::deque<bool> confirmAnswers;
    std::deque<QString> fileAnswers;
    std::deque<TSaveChoice> saveAnswers;
    std::deque<int> pickAnswers;
    std::deque<QString> textAnswers;
    std::deque<std::function<void(QDialog&)>> dialogAnswers;

private:
    template <typename T> static T TakeFront(std::deque<T>& q, T fallback) {
        if (q.empty()) return fallback;
        T v = q.front();
        q.pop_front();
        return v;
    }
};

} // namespace veltra
