// How the model asks the user: message boxes, the Select IO pick among a module's inner
// elements and the weight box text. The application implements it with real dialogs;
// tests and the command-line tool use TSilentInteraction.
#pragma once

#include <string>
#include <vector>

namespace veltra {

class TProtoLista;
class TProtoNeuronio;
class TSinapse;

class TInteraction {
public:
    virtual ~TInteraction() = default;
    // A modal message box with that text.
    virtual void ShowMessage(const std::string& text) = 0;
    // The Select IO dialog listing the candidates (in that order, each shown by its
    // label). Returns the chosen one, or nullptr when the user cancels.
    virtual TProtoNeuronio* SelectInner(const std::vector<TProtoNeuronio*>& candidates) = 0;
    // Current text of the main window's synapse weight box (may be empty).
    virtual std::string WeightText() = 0;
    // The top-level element list of every open net. A module's inner list may be shared with
    // other nets; a change to it (a module loaded inside it) reaches every net that holds it.
    virtual std::vector<const TProtoLista*> OpenNets() { return {}; }
};

// Answers without asking anybody and records what it was asked, for tests and batch use.
class TSilentInteraction : public TInteraction {
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    TProtoNeuronio* SelectInner(const std::vector<TProtoNeuronio*>& candidates) override;
    std::string WeightText() override { return weightText; }
    std::vector<const TProtoLista*> OpenNets() override { return openNets; }

    std::vector<std::string> messages;                // every message shown, in order
    std::vector<std::vector<TProtoNeuronio*>> offers; // every candidate list offered
    int pick = -1;                                    // index to choose; -1 cancels
    std::string weightText;                           // the weight box text
    std::vector<const TProtoLista*> openNets;         // what OpenNets answers
};

// The net browser tree of the Info dialog, as the elements fill it. Nodes are handles
// chosen by the implementation; NoNode stands for "no parent" (top level).
class TInfoTree {
public:
    using Node = int;
    static constexpr Node NoNode = -1;
    virtual ~TInfoTree() = default;
    // A node that holds an element, a synapse or nothing (both null). imageIndex -1: none.
    virtual Node AddNode(Node parent, const std::string& text, int imageIndex,
                         TProtoNeuronio* element = nullptr, TSinapse* synapse = nullptr) = 0;
};

// The element pop-up menu, as far as the elements adjust it.
class TElementMenu {
public:
    virtual ~TElementMenu() = default;
    // Show or hide every item whose caption is exactly `caption`.
    virtual void SetItemVisible(const std::string& caption, bool visible) = 0;
};

// The texts of the Info dialog's property fields, handed to ApplyInfo. Each element kind
// reads its own page's fields; a blank (after trimming) or unreadable field is skipped.
struct TInfoFields {
    std::string name;              // edit_*_name
    std::string value;             // edit_neuron_potencial, edit_pendor_value, edit_sinapse_value
    std::string x;                 // edit_*_x
    std::string y;                 // edit_*_y
    std::string activation;        // ComboBox_Neuron_Activacao text
    std::string teta;              // EditTeta
    std::string sequence;          // Memo_input_output_binario, whole text
    bool historyListEmpty = false; // ListBoxLog holds no entries (output page)
};

} // namespace veltra
