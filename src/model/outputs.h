// An output records, step by step, the value of the element that feeds it: as a history
// of "0", "1" and "x" symbols and, unless told not to keep it, as a log of the full decimal
// texts.
#pragma once

#include "model/protoneuronio.h"
#include "model/valuelog.h"

#include <vector>

namespace veltra {

class TOutputs final : public TProtoNeuronio {
public:
    TOutputs();

    TElementKind Kind() const override { return TElementKind::Output; }

    void Propagate() override {} // an output never sends
    void ApplyInfo(const TInfoFields& fields, TCanvas& canvas) override;
    void AddInput(const TInfinito& contribution) override;
    void DiscardInput() noexcept override { received_ = zero_; }
    std::string ValueText() const override { return history_; }
    TTextEnds ValueTextEnds(std::size_t head, std::size_t tail) const override {
        return TextEndsOf(history_, head, tail, TTextEnds::TUnit::Symbols);
    }
    void Commit() override;
    bool SaveBody(TNetWriter& out) const override;
    std::string LoadBody(TNetReader& in, int depth) override;
    void Reset() override;

    // The incoming synapse whose source's value is recorded: the first one whose source
    // is not a module (a module's own synapse carries nothing), else the first one.
    TSinapse* ReadSynapse() const;

    const std::string& History() const { return history_; }
    void SetHistory(std::string history) { history_ = std::move(history); }
    // The logged texts, one per recorded step (a copy).
    std::vector<std::string> ValueLog() const { return valueLog_.Texts(); }
    const TValueLog& Log() const { return valueLog_; }
    // Whether Commit logs the recorded value's text; on at construction. Turning it off
    // empties the log: a batch run that never reads it keeps no digits per step.
    bool LogKept() const { return logKept_; }
    void SetLogKept(bool kept);
    // Keeps the first n logged values (a run taken back to an earlier step).
    void TruncateLog(std::size_t n) { valueLog_.Truncate(n); }
    // The log made of these texts again (undoing a cleared history).
    void RestoreLog(const std::vector<std::string>& texts);
    const TInfinito& Received() const { return received_; }

private:
    TInfinito one_;
    TInfinito zero_;
    std::string history_;
    TInfinito received_;
    TValueLog valueLog_;
    bool logKept_ = true;
};

// SetLogKept on every output of the list, module insides included.
void KeepValueLogs(TProtoLista& list, bool kept);

} // namespace veltra
