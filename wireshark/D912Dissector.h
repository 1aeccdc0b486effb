#pragma once

// The dissector's registration entry points, called by the plugin's registration
// (Plugin.cpp) when Wireshark loads it.

// Registers the protocol "d912": fields, subtrees, expert infos, preferences, the
// dissector and its tap.
void proto_register_d912();

// Hands the dissector to TCP: the port preference d912.tcp.port and Decode As.
void proto_reg_handoff_d912();

// Registers the statistics tree "d912" (tshark -z d912,tree).
void register_d912_stats();
