// The Wireshark side of the dissector: registration, preferences, TCP framing,
// and the protocol tree, columns, expert info, pairing and statistics of every
// message. What a message means comes from the decoding library through
// MessageView; how messages are framed and paired from Framing and Pairing.
//
// Wireshark reports errors by longjmp (its TRY/THROW). A longjmp must never
// pass a C++ object that needs its destructor, so the code here is split in
// two: functions that call into Wireshark hold no such objects, and the one
// function that holds them (AddMessage) catches Wireshark's exceptions around
// its calls and hands them back, to be thrown again once its objects are gone.
// C++ exceptions never leave this file: running out of memory ends the program,
// as it does everywhere in Wireshark.

#include "D912Dissector.h"

#include "MessageView.h"
#include "WiresharkCompat.h"
#include "velquist/Framing.h"
#include "velquist/Pairing.h"

#include "velquist/CodeNames.h"
#include "velquist/Decode.h"

#include <epan/column-utils.h>
#include <epan/conversation.h>
#include <epan/dissectors/packet-tcp.h>
#include <epan/exceptions.h>
#include <epan/expert.h>
#include <epan/packet.h>
#include <epan/prefs.h>
#include <epan/proto_data.h>
#include <epan/stats_tree.h>
#include <epan/strutil.h>
#include <epan/tap.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace {

using namespace velquist;
using namespace velquist::ws;

// Registration handles. Wireshark hands them out at registration and reads
// them back through these variables; nothing else is kept between packets.
int proto_d912 = -1;
int hf_length = -1;
int hf_class = -1;
int hf_type = -1;
int hf_luno = -1;
int hf_mcn = -1;
int hf_status_descriptor = -1;
int hf_function_id = -1;
int hf_command_code = -1;
int hf_field = -1;
int hf_line = -1;
int hf_response_in = -1;
int hf_response_to = -1;
int hf_time = -1;
int hf_status_in = -1;
int hf_status_to = -1;
int hf_status_time = -1;
gint ett_d912 = -1;
gint ett_fields = -1;
gint ett_lines = -1;
expert_field ei_decode_error = EI_INIT;
expert_field ei_bad_header = EI_INIT;
int d912_tap = -1;
dissector_handle_t d912_handle = nullptr;

// Preferences, written by Wireshark's preference code.
gint pref_framing = static_cast<gint>(TFraming::Be16);
ws::TPrefBool pref_mask_card_data = FALSE;

const enum_val_t kFramingValues[] = {
    {"be16", "2-byte length, big-endian", static_cast<gint>(TFraming::Be16)},
    {"le16", "2-byte length, little-endian", static_cast<gint>(TFraming::Le16)},
    {"ascii4", "4 ASCII decimal digits", static_cast<gint>(TFraming::Ascii4)},
    {"none", "None: one message per TCP segment", static_cast<gint>(TFraming::None)},
    {nullptr, nullptr, 0},
};

// More bytes than a label holds (ITEM_LABEL_LENGTH), so that a longer field's
// or line's label is marked as cut.
constexpr std::size_t kLabelBytes = ITEM_LABEL_LENGTH + 16;

// The stats tree's nodes.
constexpr const char* kNodeTypes = "Messages by type";
constexpr const char* kNodeDescriptors = "Solicited status by status descriptor";
constexpr const char* kNodeResponseTime = "Host response time (ms)";

// What the stats tree learns of one message.
struct TTapInfo {
    const char* TypeName;   // its display name
    const char* Descriptor; // solicited status: its descriptor's name; else null
    bool HasResponseTime;
    double ResponseMs;
};

TFraming CurrentFraming() {
    return static_cast<TFraming>(pref_framing);
}

// ---- Texts for Wireshark ------------------------------------------------------

// Message bytes and decoded text as Wireshark shows them, in the packet's
// memory: their control bytes escaped (EscapedLength), as a string of
// Wireshark's must hold no NUL, and converted to UTF-8. The bytes are
// Windows-1252, and Wireshark wants UTF-8. ASCII is both, and nearly every
// message is ASCII; anything else is converted by Wireshark itself, through a
// tvb over a copy of the bytes.
const char* Text(packet_info* pinfo, tvbuff_t* parent, std::string_view bytes,
                 TEscapes escapes = TEscapes::Value) {
    const std::size_t escapedLength = EscapedLength(bytes, escapes);
    if (escapedLength != bytes.size()) {
        auto* escaped = static_cast<char*>(wmem_alloc(pinfo->pool, escapedLength));
        WriteEscaped(bytes, escaped, escapes);
        bytes = std::string_view(escaped, escapedLength);
    }
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        return wmem_strndup(pinfo->pool, bytes.data(), bytes.size());
    }
    const auto length = static_cast<gint>(bytes.size());
    auto* copy = static_cast<guint8*>(wmem_memdup(pinfo->pool, bytes.data(), bytes.size()));
    tvbuff_t* text = tvb_new_child_real_data(parent, copy, length, length);
    return reinterpret_cast<const char*>(
        tvb_get_string_enc(pinfo->pool, text, 0, length, ENC_WINDOWS_1252));
}

// A UTF-8 text as a label or column shows it: tabs and line ends as blanks,
// other control characters escaped; of a long text, only as much as a label
// holds and a little more, for Wireshark to mark it as cut.
const char* Shown(packet_info* pinfo, const char* utf8) {
    const std::string_view text = std::string_view(utf8).substr(0, kLabelBytes + 1);
    const bool plain = std::none_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == '\x7F';
    });
    return plain && text.size() <= kLabelBytes
               ? utf8
               : ws::FormatTextWsp(pinfo->pool, utf8, std::min(text.size(), kLabelBytes));
}

// A table of the library's codes as a value string of Wireshark's, so that a
// code's item shows its name and a filter may still name the code
// (d912.status_descriptor == '8'). Built once, at registration, in memory that
// lasts as long as the registrations.
const value_string* ValueStringOf(std::span<const TCodeName> names) {
    wmem_allocator_t* scope = wmem_epan_scope();
    auto* values = wmem_alloc_array(scope, value_string, names.size() + 1);
    for (std::size_t i = 0; i < names.size(); ++i) {
        values[i] = {static_cast<unsigned char>(names[i].Code),
                     wmem_strndup(scope, names[i].Name.data(), names[i].Name.size())};
    }
    values[names.size()] = {0, nullptr};
    return values;
}

// One message's entry in the Info column: the first of its frame replaces what
// TCP wrote there, the others follow it.
void ShowInInfo(packet_info* pinfo, bool first, const char* entry) {
    if (first) {
        col_clear(pinfo->cinfo, COL_INFO);
        col_add_str(pinfo->cinfo, COL_INFO, entry);
    } else {
        col_append_sep_str(pinfo->cinfo, COL_INFO, " | ", entry);
    }
}

// ---- Per-frame and per-conversation state --------------------------------------

// The place of the next message among those of this frame: 0 for the first.
guint32 NextMessageIndex(packet_info* pinfo) {
    auto* count = static_cast<guint32*>(p_get_proto_data(pinfo->pool, pinfo, proto_d912, 0));
    if (count == nullptr) {
        count = wmem_new0(pinfo->pool, guint32);
        p_add_proto_data(pinfo->pool, pinfo, proto_d912, 0, count);
    }
    return (*count)++;
}

ws::TWmemCallbackResult DestroyPairing(wmem_allocator_t*, wmem_cb_event_t, void* pairing) {
    std::destroy_at(static_cast<TConversationPairing*>(pairing));
    return FALSE;
}

// The pairing of the TCP conversation the packet belongs to. It lives in the
// capture file's memory and is destroyed with it.
TConversationPairing& PairingOf(packet_info* pinfo) {
    conversation_t* conversation = find_or_create_conversation(pinfo);
    auto* pairing =
        static_cast<TConversationPairing*>(conversation_get_proto_data(conversation, proto_d912));
    if (pairing == nullptr) {
        void* memory = wmem_alloc(wmem_file_scope(), sizeof(TConversationPairing));
        pairing = std::construct_at(static_cast<TConversationPairing*>(memory));
        wmem_register_callback(wmem_file_scope(), DestroyPairing, pairing);
        conversation_add_proto_data(conversation, proto_d912, pairing);
    }
    return *pairing;
}

std::chrono::nanoseconds CaptureTime(const packet_info* pinfo) {
    return std::chrono::seconds(pinfo->abs_ts.secs) + std::chrono::nanoseconds(pinfo->abs_ts.nsecs);
}

nstime_t ToNstime(std::chrono::nanoseconds time) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(time);
    return nstime_t{static_cast<time_t>(seconds.count()),
                    static_cast<int>((time - seconds).count())};
}

// ---- The message's items -------------------------------------------------------

// Everything AddItems needs, gathered before any Wireshark call that may throw.
struct TMessageItems {
    tvbuff_t* Tvb;
    packet_info* Pinfo;
    proto_tree* Tree;
    proto_item* Item;
    gint Offset;              // of the message in the tvb (after the header)
    std::string_view Message; // its bytes
    const TMessageView* View;
    const TPairing* Pairing; // null when unpaired
    bool ShowInfo;           // whether the Info column or the tree is shown
    std::string_view Info;   // then the Info column's text for it (message bytes)
    bool First;              // the first message of its frame
};

gint OffsetOf(const TMessageItems& items, std::string_view part) {
    return items.Offset + static_cast<gint>(part.data() - items.Message.data());
}

void AddStringAt(const TMessageItems& items, int hf, std::string_view part) {
    proto_tree_add_item(items.Tree, hf, items.Tvb, OffsetOf(items, part),
                        static_cast<gint>(part.size()), ENC_WINDOWS_1252);
}

// A one-character code at its byte, where the message has it.
void AddCode(const TMessageItems& items, int hf, const std::optional<std::string_view>& code) {
    if (code) {
        proto_tree_add_item(items.Tree, hf, items.Tvb, OffsetOf(items, *code), 1, ENC_NA);
    }
}

void AddFrame(const TMessageItems& items, int hf, const std::optional<std::uint32_t>& frame) {
    if (frame) {
        proto_item_set_generated(proto_tree_add_uint(items.Tree, hf, items.Tvb, 0, 0, *frame));
    }
}

void AddTime(const TMessageItems& items, int hf,
             const std::optional<std::chrono::nanoseconds>& time) {
    if (time) {
        const nstime_t value = ToNstime(*time);
        proto_item_set_generated(proto_tree_add_time(items.Tree, hf, items.Tvb, 0, 0, &value));
    }
}

void AddFields(const TMessageItems& items) {
    const auto& fields = items.View->Decoded.Fields;
    proto_tree* tree = proto_tree_add_subtree_format(
        items.Tree, items.Tvb, items.Offset, static_cast<gint>(items.Message.size()), ett_fields,
        nullptr, "Fields (%zu)", fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const TByteRange& field = fields[i];
        const gint offset = items.Offset + static_cast<gint>(field.Offset);
        const auto length = static_cast<gint>(field.Length);
        if (pref_mask_card_data) {
            // Which field holds card data is the decoder's to say, and it says so
            // in the lines: with masking on, a field's label shows none of its text.
            proto_tree_add_bytes_format(tree, hf_field, items.Tvb, offset, length, nullptr,
                                        "Field %zu: %d bytes", i, length);
            continue;
        }
        // The label shows the field's start: longer than a label can be, it is cut.
        const char* text =
            Text(items.Pinfo, items.Tvb,
                 items.Message.substr(field.Offset, std::min(field.Length, kLabelBytes)),
                 TEscapes::Label);
        proto_tree_add_bytes_format(tree, hf_field, items.Tvb, offset, length, nullptr,
                                    "Field %zu: %s", i, Shown(items.Pinfo, text));
    }
}

void AddLines(const TMessageItems& items) {
    const TDecodeResult& decoded = items.View->Decoded;
    proto_tree* tree = proto_tree_add_subtree_format(
        items.Tree, items.Tvb, items.Offset, static_cast<gint>(items.Message.size()), ett_lines,
        nullptr, "Decoded text (%zu lines)", decoded.Lines.size());
    for (const TDecodedLine& line : decoded.Lines) {
        const std::string_view bytes = decoded.LineText(line);
        const char* text = Text(items.Pinfo, items.Tvb, bytes);
        const bool blanks =
            std::any_of(bytes.begin(), bytes.end(), [](char c) { return c >= '\t' && c <= '\r'; });
        const char* label = Shown(
            items.Pinfo, blanks ? Text(items.Pinfo, items.Tvb, bytes, TEscapes::Label) : text);
        if (line.Range) {
            proto_tree_add_string_format(tree, hf_line, items.Tvb,
                                         items.Offset + static_cast<gint>(line.Range->Offset),
                                         static_cast<gint>(line.Range->Length), text, "%s", label);
        } else {
            proto_tree_add_string_format(tree, hf_line, nullptr, 0, 0, text, "%s", label);
        }
    }
}

void QueueTap(const TMessageItems& items) {
    const TMessageView& view = *items.View;
    auto* tap = wmem_new0(items.Pinfo->pool, TTapInfo);
    const std::string_view typeName = MsgTypeDisplayName(view.Decoded.Type);
    tap->TypeName = wmem_strndup(items.Pinfo->pool, typeName.data(), typeName.size());
    if (view.Summary.StatusDescriptor) {
        const std::string_view name = view.Summary.Item;
        tap->Descriptor =
            name.empty()
                ? wmem_strdup_printf(items.Pinfo->pool, "Unknown (%s)",
                                     Text(items.Pinfo, items.Tvb, *view.Summary.StatusDescriptor))
                : wmem_strndup(items.Pinfo->pool, name.data(), name.size());
    }
    if (items.Pairing != nullptr && items.Pairing->ResponseTime) {
        tap->HasResponseTime = true;
        tap->ResponseMs =
            std::chrono::duration<double, std::milli>(*items.Pairing->ResponseTime).count();
    }
    tap_queue_packet(d912_tap, items.Pinfo, tap);
}

// Adds the message's items, columns, expert info and tap data. Every Wireshark
// call that may throw is made here; this function holds no C++ object that needs
// its destructor, so a throw may pass it.
void AddItems(const TMessageItems& items) {
    const TMessageView& view = *items.View;
    const TDecodeResult& decoded = view.Decoded;

    if (items.ShowInfo) {
        const char* info =
            Shown(items.Pinfo, Text(items.Pinfo, items.Tvb, items.Info, TEscapes::Label));
        ShowInInfo(items.Pinfo, items.First, info);
        proto_item_append_text(items.Item, ", %s", info);
    }

    AddStringAt(items, hf_class, view.Summary.Class);
    const std::string_view typeName = MsgTypeName(decoded.Type);
    proto_item_set_generated(
        proto_tree_add_string(items.Tree, hf_type, items.Tvb, items.Offset, 0,
                              wmem_strndup(items.Pinfo->pool, typeName.data(), typeName.size())));
    if (view.Summary.Luno) {
        AddStringAt(items, hf_luno, *view.Summary.Luno);
    }
    if (view.Summary.Mcn) {
        AddStringAt(items, hf_mcn, *view.Summary.Mcn);
    }
    AddCode(items, hf_status_descriptor, view.Summary.StatusDescriptor);
    AddCode(items, hf_function_id, view.Summary.FunctionId);
    AddCode(items, hf_command_code, view.Summary.CommandCode);
    if (items.Pairing != nullptr) {
        const TPairing& pairing = *items.Pairing;
        AddFrame(items, hf_response_in, pairing.ResponseIn);
        AddFrame(items, hf_response_to, pairing.ResponseTo);
        AddTime(items, hf_time, pairing.ResponseTime);
        AddFrame(items, hf_status_in, pairing.StatusIn);
        AddFrame(items, hf_status_to, pairing.StatusTo);
        AddTime(items, hf_status_time, pairing.StatusTime);
    }
    if (!decoded.Ok) {
        expert_add_info_format(items.Pinfo, items.Item, &ei_decode_error, "%s",
                               Text(items.Pinfo, items.Tvb, decoded.Error));
    }
    if (proto_field_is_referenced(items.Tree, hf_field)) {
        AddFields(items);
    }
    if (decoded.Ok && proto_field_is_referenced(items.Tree, hf_line)) {
        AddLines(items);
    }
    if (have_tap_listener(d912_tap)) {
        QueueTap(items);
    }
}

// A Wireshark exception caught around AddItems, to be thrown again once the
// C++ objects that AddItems reads are gone.
struct TCaught {
    bool Thrown = false;
    unsigned long Code = 0;
    const char* Message = nullptr;
};

// Wireshark's TRY and CATCH macros update a volatile with "|=", which C++20
// deprecates; the macros are C, and right as C.
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wdeprecated-volatile"
#else
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wvolatile"
#endif

// AddItems with Wireshark's exceptions caught. A function of its own (never
// inlined), so that no variable of its caller lives across the setjmp of TRY.
[[gnu::noinline]] TCaught AddItemsCatching(const TMessageItems& items) noexcept {
    TCaught caught;
    TRY {
        AddItems(items);
    }
    CATCH_ALL {
        caught.Thrown = true;
        caught.Code = EXCEPT_CODE;
        caught.Message =
            GET_MESSAGE == nullptr ? nullptr : wmem_strdup(items.Pinfo->pool, GET_MESSAGE);
    }
    ENDTRY;
    return caught;
}

#if defined(__clang__)
#pragma clang diagnostic pop
#else
#pragma GCC diagnostic pop
#endif

// Decodes the message, pairs it on the first pass, and adds what it shows. The
// decode's objects live here; Wireshark's exceptions are caught below it and
// returned, for the caller to throw again.
TCaught AddMessage(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, proto_item* item,
                   gint offset, std::string_view message, TMessageId id) noexcept {
    // The field table and the lines only when something shows or filters them.
    const bool structure =
        proto_field_is_referenced(tree, hf_field) || proto_field_is_referenced(tree, hf_line);
    const TMessageView view =
        ViewMessage(message, TDecodeOptions{structure, pref_mask_card_data != FALSE});

    TConversationPairing& pairing = PairingOf(pinfo);
    if (!PINFO_FD_VISITED(pinfo)) {
        pairing.Add(id, PairingInputOf(view, CaptureTime(pinfo)));
    }
    // The Info line only for those who see it: the packet list, or the tree.
    const bool showInfo = pinfo->cinfo != nullptr || (tree != nullptr && PTREE_DATA(tree)->visible);
    const std::string info = showInfo ? InfoLine(view) : std::string();
    const std::optional<TPairing> paired = pairing.Find(id);
    return AddItemsCatching(TMessageItems{tvb, pinfo, tree, item, offset, message, &view,
                                          paired ? &*paired : nullptr, showInfo, info,
                                          id.Index == 0});
}

// ---- Dissection ------------------------------------------------------------------

// One message with its header (none with framing "none"). Holds no C++ object
// that needs its destructor: a truncated message throws from here as it does in
// Wireshark's own dissectors.
int DissectPdu(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, void*) {
    col_set_str(pinfo->cinfo, COL_PROTOCOL, "D912");
    const TFraming framing = CurrentFraming();
    const auto headerLength = static_cast<gint>(HeaderLength(framing));
    const TMessageId id{pinfo->num, NextMessageIndex(pinfo)};

    proto_item* item = proto_tree_add_item(tree, proto_d912, tvb, 0, -1, ENC_NA);
    proto_tree* d912Tree = proto_item_add_subtree(item, ett_d912);
    if (headerLength > 0) {
        const guint8* header = tvb_get_ptr(tvb, 0, headerLength);
        const auto announced =
            AnnouncedLength(framing, {header, static_cast<std::size_t>(headerLength)});
        if (!announced) {
            proto_tree_add_expert(d912Tree, pinfo, &ei_bad_header, tvb, 0, headerLength);
            ShowInInfo(pinfo, id.Index == 0, "Bad length header");
            return tvb_captured_length(tvb);
        }
        proto_tree_add_uint(d912Tree, hf_length, tvb, 0, headerLength,
                            static_cast<guint32>(*announced));
    }
    const gint length = tvb_reported_length_remaining(tvb, headerLength);
    // tvb_get_ptr gives no address for an empty message.
    const auto* bytes =
        length == 0 ? "" : reinterpret_cast<const char*>(tvb_get_ptr(tvb, headerLength, length));

    const TCaught caught =
        AddMessage(tvb, pinfo, d912Tree, item, headerLength,
                   std::string_view(bytes, static_cast<std::size_t>(length)), id);
    if (caught.Thrown) {
        THROW_MESSAGE(caught.Code, caught.Message);
    }
    return tvb_captured_length(tvb);
}

guint GetPduLength(packet_info*, tvbuff_t* tvb, int offset, void*) {
    const TFraming framing = CurrentFraming();
    const auto headerLength = static_cast<gint>(HeaderLength(framing));
    const guint8* header = tvb_get_ptr(tvb, offset, headerLength);
    return static_cast<guint>(PduLength(framing, {header, static_cast<std::size_t>(headerLength)},
                                        tvb_reported_length_remaining(tvb, offset)));
}

int DissectD912(tvbuff_t* tvb, packet_info* pinfo, proto_tree* tree, void* data) {
    const TFraming framing = CurrentFraming();
    if (framing == TFraming::None) {
        return DissectPdu(tvb, pinfo, tree, data);
    }
    tcp_dissect_pdus(tvb, pinfo, tree, TRUE, static_cast<guint>(HeaderLength(framing)),
                     GetPduLength, DissectPdu, data);
    return tvb_captured_length(tvb);
}

// ---- Statistics ------------------------------------------------------------------

void StatsInit(stats_tree* st) {
    stats_tree_create_node(st, kNodeTypes, 0, STAT_DT_INT, TRUE);
    stats_tree_create_node(st, kNodeDescriptors, 0, STAT_DT_INT, TRUE);
    stats_tree_create_node(st, kNodeResponseTime, 0, STAT_DT_FLOAT, FALSE);
}

tap_packet_status StatsPacket(stats_tree* st, packet_info*, epan_dissect_t*, const void* data,
                              tap_flags_t) {
    const auto* tap = static_cast<const TTapInfo*>(data);
    tick_stat_node(st, kNodeTypes, 0, TRUE);
    tick_stat_node(st, tap->TypeName, stats_tree_parent_id_by_name(st, kNodeTypes), FALSE);
    if (tap->Descriptor != nullptr) {
        tick_stat_node(st, kNodeDescriptors, 0, TRUE);
        tick_stat_node(st, tap->Descriptor, stats_tree_parent_id_by_name(st, kNodeDescriptors),
                       FALSE);
    }
    if (tap->HasResponseTime) {
        avg_stat_node_add_value_float(st, kNodeResponseTime, 0, FALSE,
                                      static_cast<gfloat>(tap->ResponseMs));
    }
    return TAP_PACKET_REDRAW;
}

} // namespace

void proto_register_d912() {
    static hf_register_info hf[] = {
        {&hf_length,
         {"Length", "d912.length", FT_UINT16, BASE_DEC, nullptr, 0x0,
          "The framing header's value: the length of the message that follows", HFILL}},
        {&hf_class,
         {"Message class", "d912.class", FT_STRING, BASE_NONE, nullptr, 0x0,
          "Field 0 of the message", HFILL}},
        {&hf_type,
         {"Message type", "d912.type", FT_STRING, BASE_NONE, nullptr, 0x0,
          "The type the decoder gives the message, e.g. mtCustomerRequest", HFILL}},
        {&hf_luno,
         {"Logical unit number", "d912.luno", FT_STRING, BASE_NONE, nullptr, 0x0,
          "Field 1 of the message", HFILL}},
        {&hf_mcn,
         {"Message coordination number", "d912.mcn", FT_STRING, BASE_NONE, nullptr, 0x0,
          "Ties a function command to the consumer request it answers", HFILL}},
        {&hf_status_descriptor,
         {"Status descriptor", "d912.status_descriptor", FT_CHAR, BASE_HEX,
          VALS(ValueStringOf(StatusDescriptorNames())), 0x0,
          "A solicited status's status descriptor: character 1 of field 3", HFILL}},
        {&hf_function_id,
         {"Function ID", "d912.function_id", FT_CHAR, BASE_HEX,
          VALS(ValueStringOf(FunctionIdNames())), 0x0,
          "A function command's function ID: character 5 of field 5", HFILL}},
        {&hf_command_code,
         {"Command code", "d912.command_code", FT_CHAR, BASE_HEX,
          VALS(ValueStringOf(CommandCodeNames())), 0x0,
          "An operational command's command code: character 1 of field 3", HFILL}},
        {&hf_field,
         {"Field", "d912.field", FT_BYTES, BASE_NONE, nullptr, 0x0,
          "The bytes of one field (between two FS)", HFILL}},
        {&hf_line,
         {"Decoded line", "d912.line", FT_STRING, BASE_NONE, nullptr, 0x0,
          "One line of the decoded message; its bytes are the bytes it shows", HFILL}},
        {&hf_response_in,
         {"Response in", "d912.response_in", FT_FRAMENUM, BASE_NONE,
          FRAMENUM_TYPE(FT_FRAMENUM_RESPONSE), 0x0,
          "The function command that answers this consumer request", HFILL}},
        {&hf_response_to,
         {"Response to", "d912.response_to", FT_FRAMENUM, BASE_NONE,
          FRAMENUM_TYPE(FT_FRAMENUM_REQUEST), 0x0,
          "The consumer request this function command answers", HFILL}},
        {&hf_time,
         {"Host response time", "d912.time", FT_RELATIVE_TIME, BASE_NONE, nullptr, 0x0,
          "Time from the consumer request to this function command", HFILL}},
        {&hf_status_in,
         {"Status in", "d912.status_in", FT_FRAMENUM, BASE_NONE,
          FRAMENUM_TYPE(FT_FRAMENUM_RESPONSE), 0x0,
          "The solicited status that reports on this function command", HFILL}},
        {&hf_status_to,
         {"Status to", "d912.status_to", FT_FRAMENUM, BASE_NONE, FRAMENUM_TYPE(FT_FRAMENUM_REQUEST),
          0x0, "The function command this solicited status reports on", HFILL}},
        {&hf_status_time,
         {"Status time", "d912.status_time", FT_RELATIVE_TIME, BASE_NONE, nullptr, 0x0,
          "Time from the function command to this solicited status", HFILL}},
    };
    static gint* ett[] = {&ett_d912, &ett_fields, &ett_lines};
    static ei_register_info ei[] = {
        {&ei_decode_error,
         {"d912.decode_error", PI_MALFORMED, PI_ERROR, "The message cannot be decoded", EXPFILL}},
        {&ei_bad_header,
         {"d912.bad_length_header", PI_MALFORMED, PI_ERROR,
          "The length header is not four decimal digits", EXPFILL}},
    };

    proto_d912 = proto_register_protocol("Diebold 911/912", "D912", "d912");
    proto_register_field_array(proto_d912, hf, G_N_ELEMENTS(hf));
    proto_register_subtree_array(ett, G_N_ELEMENTS(ett));
    expert_register_field_array(expert_register_protocol(proto_d912), ei, G_N_ELEMENTS(ei));

    module_t* module = prefs_register_protocol(proto_d912, nullptr);
    prefs_register_enum_preference(
        module, "framing", "Message framing",
        "The length header in front of every message: 2 binary bytes (big- or little-endian) "
        "or 4 ASCII decimal digits, not counting themselves; or none, one message per TCP "
        "segment",
        &pref_framing, kFramingValues, FALSE);
    prefs_register_bool_preference(
        module, "mask_card_data", "Mask card data",
        "Mask track-2 and track-3 data and the PIN buffer in the decoded lines; the labels of "
        "the fields then show their lengths only",
        &pref_mask_card_data);

    d912_handle = register_dissector("d912", DissectD912, proto_d912);
    d912_tap = register_tap("d912");
}

void proto_reg_handoff_d912() {
    // No port by default: the ports come from the preference or from Decode As.
    dissector_add_uint_range_with_preference("tcp.port", "", d912_handle);
}

void register_d912_stats() {
    stats_tree_register_plugin("d912", "d912", "D912 Messages", 0, StatsPacket, StatsInit, nullptr);
}
