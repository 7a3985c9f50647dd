#!/usr/bin/env python3
"""Writes one small net file per reader error: the worked example with one line changed.
Run from this folder; the table of expected texts lives in the reader error test."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(HERE, "..", "..", "..", "examples", "worked.net"), newline="") as f:
    BASE = f.read().split("\r\n")[:-1]

# (file, line number to replace (1-based), new line, or None to cut the file before it)
CASES = [
    ("header_blank", 1, "<TREDE=version 0.4> "),
    ("list_tag", 2, "<TProtoList=4>"),
    ("list_count", 2, "<TProtoLista=four>"),
    ("element_tag", 3, "<TPROTONEURON=TINPUT>"),
    ("element_type", 18, "<TPROTONEURONIO=TBIAS>"),
    ("id_key", 4, "Ident:0"),
    ("id_value", 19, "Id:one"),
    ("label_key", 5, "Label:In"),
    ("position_comma", 6, "Posicao:40,60"),
    ("position_y", 21, "Posicao:40;y"),
    ("watch_key", 7, "Visible:true"),
    ("synapse_marker", 8, "Pos_Sinapses: "),
    ("synapse_list_tag", 9, "<TListaSinapse=1>"),
    ("synapse_list_count", 24, "<TListaSinapses=1.5>"),
    ("synapse_tag", 10, "<TSINAPSES>"),
    ("weight_key", 11, "Weight:1"),
    ("weight_fraction", 26, "Valor:-0.5x"),
    ("destination_value", 12, "Destino:N"),
    ("visible_key", 13, "visibility:true"),
    ("synapse_end", 14, "</TSINAPSES>"),
    ("synapse_list_end", 15, "</TListaSinapse>"),
    ("bias_activity", 31, "Activity:1"),
    ("neuron_activity", 46, "Activity:0"),
    ("function_key", 47, "Funcao:TStepFunction"),
    ("function_name", 47, "FuncaoActivacao:TSigmoid"),
    ("teta_key", 48, "Theta:0.5"),
    ("loop_key", 49, "lop:false"),
    ("input_sequence", 16, "Binary:0110"),
    ("output_history", 59, "History:"),
    ("element_end", 32, "</TPROTONEURON>"),
    ("list_end", 61, "</TProtoList>"),
    ("net_end", 62, "</TRED>"),
    ("cut_in_synapse", 41, None),
    ("cut_before_end", 62, None),
]

for name, number, text in CASES:
    lines = list(BASE)
    if text is None:
        lines = lines[:number - 1]
    else:
        lines[number - 1] = text
    with open(os.path.join(HERE, name + ".net"), "w", newline="") as f:
        f.write("".join(line + "\r\n" for line in lines))

# A module whose inner list header is broken.
with open(os.path.join(HERE, "module_inner_list.net"), "w", newline="") as f:
    f.write("\r\n".join([
        "<TREDE=version 0.4>", "<TProtoLista=1>", "<TPROTONEURONIO=TMODULO>", "Id:0",
        "Etiqueta:M", "Posicao:0;0", "Visible_in_runform:true", "Pos_Sinapses:",
        "<TListaSinapses=0>", "</TListaSinapses>", "<TProtoLista 0>", "</TProtoLista>",
        "</TPROTONEURONIO>", "</TProtoLista>", "</TREDE>", ""]))
