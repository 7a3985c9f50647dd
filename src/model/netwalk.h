// The one way into inner nets: a walk over a net's elements that enters each module's inner
// net right after the module, depth first and in list order (the step order and the file
// order). Code that needs the elements of a net at every depth walks with VisitDeep instead of
// recursing through modules itself.
#pragma once

#include "model/module.h"
#include "model/protolista.h"

#include <concepts>
#include <type_traits>
#include <unordered_set>

namespace veltra {

// What a visit asks of the walk after an element.
enum class TVisit {
    Enter, // go on, into the element's inner net if it is a module
    Skip,  // go on, but leave the inside of this module out
    Stop,  // end the walk here
};

// The nets a walk has entered; a walk given one enters each net once, however many modules
// share it. Walks that share one (over several roots) enter a net once in all.
using TNetsSeen = std::unordered_set<const TProtoLista*>;

namespace netwalk_detail {

template <class List>
using ElementOf = std::conditional_t<std::is_const_v<List>, const TProtoNeuronio, TProtoNeuronio>;

template <class Visit, class Element> TVisit Call(Visit& visit, Element& element, int depth) {
    if constexpr (std::invocable<Visit&, Element&, int>) {
        if constexpr (std::is_void_v<std::invoke_result_t<Visit&, Element&, int>>) {
            visit(element, depth);
            return TVisit::Enter;
        } else {
            return visit(element, depth);
        }
    } else if constexpr (std::is_void_v<std::invoke_result_t<Visit&, Element&>>) {
        visit(element);
        return TVisit::Enter;
    } else {
        return visit(element);
    }
}

template <class List, class Visit> bool Walk(List& list, Visit& visit, int depth, TNetsSeen* seen) {
    if (seen != nullptr && !seen->insert(&list).second) return true;
    for (const auto& item : list) {
        ElementOf<List>& element = *item;
        const TVisit next = Call(visit, element, depth);
        if (next == TVisit::Stop) return false;
        if (next == TVisit::Skip) continue;
        if (auto* module = AsModule(&element))
            if (!Walk(module->InnerNet(), visit, depth + 1, seen)) return false;
    }
    return true;
}

} // namespace netwalk_detail

// Calls `visit(element)` or `visit(element, depth)` (0 for the elements of `list` itself) for
// every element of `list` and, right after each module, for every element of its inner net,
// at any depth. A net that several modules share is walked wherever it is met. The visit may
// return a TVisit; returns false when a visit stopped the walk.
template <class List, class Visit> bool VisitDeep(List& list, Visit&& visit) {
    return netwalk_detail::Walk(list, visit, 0, nullptr);
}

// The same walk, entering each net (`list` included) only the first time `seen` meets it.
template <class List, class Visit> bool VisitDeep(List& list, TNetsSeen& seen, Visit&& visit) {
    return netwalk_detail::Walk(list, visit, 0, &seen);
}

} // namespace veltra
