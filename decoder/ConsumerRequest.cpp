// Consumer request (class "11"): the terminal hands a consumer's transaction to
// the host.
//
//   field 0   message class
//   field 1   logical unit number
//   field 2   (not used)
//   field 3   time variant number
//   field 4   character 1 top-of-form flag, character 2 message coordination number
//   field 5   track-2 data
//   field 6   track-3 data
//   field 7   operation key buffer
//   field 8   dollar/cents keyboard entry (amount)
//   field 9   PIN buffer, one hex digit per character ("0".."9", ":".."?")
//   field 10+ optional fields; the last transaction status is the first of them
//             that begins with "6"
//
// The last transaction status field:
//
//   character 1     "6", the field's identifier
//   characters 2-5  last transaction serial number
//   character 6     function command response code
//   character 7     retract operation flag

#include "CardData.h"
#include "Fields.h"
#include "HexText.h"
#include "Tables.h"
#include "TextOut.h"
#include "UDiebold.h"

namespace velquist {

namespace {

// The last transaction status is never looked for among the fixed fields: a
// time variant number, track-2 data or PIN buffer may well begin with "6".
constexpr std::size_t kFirstOptionalField = 10;

constexpr TCodeName kResponseCodes[] = {
    {'0', "(0) No response"},
    {'1', "(1) Ready 9 or B"},
    {'2', "(2) Fault status reply"},
    {'3', "(3) Last function command rejected"},
};

constexpr TCodeName kRetractFlags[] = {
    {'0', "0 - No retract operation occurred"},
};
constexpr std::string_view kRetractOther =
    "1 - Retract operation initiated during the last transaction";

// An absent flag reports nothing, rather than a retract that no one reported.
std::string_view RetractText(std::string_view flag) {
    return flag.empty() ? std::string_view{} : LookupChar(kRetractFlags, flag, kRetractOther);
}

bool IsLastTransactionStatus(std::string_view field) {
    return CharAt(field, 1) == "6";
}

void PutLastTransactionStatus(TTextOut& out, std::string_view status) {
    const std::string_view responseCode = CharAt(status, 6);
    const std::string_view retractFlag = CharAt(status, 7);
    out.Put("Last Transaction Status:", TFrom::Bytes(status));
    out.PutFormat("\r\n- Last Trx Serial Number = %s\r\n"
                  "- Function command Response = %s\r\n"
                  "- Retract operation = %s\r\n",
                  {Mid(status, 2, 4), Shown(LookupChar(kResponseCodes, responseCode), responseCode),
                   Shown(RetractText(retractFlag), retractFlag)});
}

// Card data as shown: the field itself, or a masked copy of it kept in `masked`.
TFmtArg CardData(std::string_view field, std::string& masked, bool mask,
                 std::string (*maskOf)(std::string_view)) {
    if (!mask) {
        return field;
    }
    masked = maskOf(field);
    return TFmtArg(masked, TFrom::Chars(field));
}

// The PIN buffer as shown: one hex digit per character, kept in `digits`;
// masked, every digit is a "*".
TFmtArg PinBufferDigits(std::string_view field, std::string& digits, bool mask) {
    digits = mask ? std::string(field.size(), '*') : NibbleDump(field, "");
    return TFmtArg(digits, TFrom::Chars(field));
}

} // namespace

void TDieboldMsg::DecodeConsumerRequest(TTextOut& out) {
    const bool mask = FOptions.MaskCardData;
    std::string track2;
    std::string track3;
    std::string pinBuffer;
    // The fields are fetched in placeholder order, so a short message names the
    // first field missing in that order: 1, then 3, then 4 to 9.
    out.PutFormat(
        "Consumer Request (%s)\r\nLogical Unit Number = %s\r\nTime Variant Number = %s\r\n"
        "Top-Of-Form Flag = %s\r\nMessage Coordination Number = %s\r\nTrack-2 data = %s\r\n"
        "Track-3 data = %s\r\nOperation Key Buffer = %s\r\nDollar/Cents Keyboard Entry = %s\r\n"
        "PIN Buffer = %s\r\n",
        {Shown(HexDump(Field(0), " "), Field(0)), Field(1), Field(3), CharAt(Field(4), 1),
         CharAt(Field(4), 2), CardData(Field(5), track2, mask, MaskTrack2),
         CardData(Field(6), track3, mask, MaskDigits), Field(7), Field(8),
         PinBufferDigits(Field(9), pinBuffer, mask)});

    ForEachField(kFirstOptionalField, [&out](std::size_t, std::string_view field) {
        if (!IsLastTransactionStatus(field)) {
            return true;
        }
        PutLastTransactionStatus(out, field);
        return false;
    });

    FTrack2 = mask ? track2 : std::string(Field(5));
    FPinBuffer = std::move(pinBuffer);
}

} // namespace velquist
