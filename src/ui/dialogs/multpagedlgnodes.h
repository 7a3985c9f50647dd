// The data the Info dialog's tree nodes carry: the element or synapse a node holds, its
// image index, and whether it holds an object at all.
#pragma once

#include <QTreeWidgetItem>
#include <string>

namespace veltra {

class TProtoNeuronio;
class TSinapse;

enum TNodeRole {
    NodeElementRole = Qt::UserRole,
    NodeSynapseRole = Qt::UserRole + 1,
    NodeImageRole = Qt::UserRole + 2,
    NodeHoldsRole = Qt::UserRole + 3
};

// A node's text; one longer than a tree can show (an output's history of a million steps)
// keeps its two ends and says how long it is, so the tree never lays out megabytes.
QString TreeText(const std::string& text);

inline TProtoNeuronio* NodeElement(const QTreeWidgetItem* node) {
    return reinterpret_cast<TProtoNeuronio*>(node->data(0, NodeElementRole).value<quintptr>());
}

inline TSinapse* NodeSynapse(const QTreeWidgetItem* node) {
    return reinterpret_cast<TSinapse*>(node->data(0, NodeSynapseRole).value<quintptr>());
}

} // namespace veltra
