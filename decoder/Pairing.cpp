#include "velquist/Pairing.h"

namespace velquist {

void TConversationPairing::Add(TMessageId id, const TPairingInput& input) {
    if (input.Role == TPairRole::Other || FPairings.contains(id)) {
        return;
    }
    TPairing& pairing = FPairings[id];
    const TPending self{id, input.Time};
    switch (input.Role) {
    case TPairRole::Request:
        if (input.Mcn) {
            FOpenRequests.insert_or_assign(TRequestKey(input.Luno, *input.Mcn), self);
        }
        break;
    case TPairRole::Command:
        if (input.Mcn) {
            const auto request = FOpenRequests.find(TRequestKey(input.Luno, *input.Mcn));
            if (request != FOpenRequests.end()) {
                pairing.ResponseTo = request->second.Id.Frame;
                pairing.ResponseTime = input.Time - request->second.Time;
                FPairings[request->second.Id].ResponseIn = id.Frame;
                FOpenRequests.erase(request);
            }
        }
        FOpenCommands.insert_or_assign(std::string(input.Luno), self);
        break;
    case TPairRole::Status: {
        const auto command = FOpenCommands.find(input.Luno);
        if (command != FOpenCommands.end()) {
            pairing.StatusTo = command->second.Id.Frame;
            pairing.StatusTime = input.Time - command->second.Time;
            FPairings[command->second.Id].StatusIn = id.Frame;
            FOpenCommands.erase(command);
        }
        break;
    }
    case TPairRole::Other: break;
    }
}

const TPairing* TConversationPairing::Find(TMessageId id) const {
    const auto found = FPairings.find(id);
    return found == FPairings.end() ? nullptr : &found->second;
}

} // namespace velquist
