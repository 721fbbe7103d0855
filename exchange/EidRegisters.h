#ifndef KORVEL_EIDREGISTERS_H
#define KORVEL_EIDREGISTERS_H

// Where the EID list lives in the device's holding registers: slot i takes
// the pair 47001 + 2i (high half) and 47002 + 2i (low half).

// The number of entries in the device's EID list.
constexpr int EidCount = 200;

namespace EidRegisters {

constexpr int First = 47001;
constexpr int PerSlot = 2;

constexpr int OfSlot(int Slot)
{
    return First + PerSlot * Slot;
}

// The slot a register number belongs to (both registers of a pair give the
// same slot), or -1 for a number outside the list. Never a value that
// could index past the EidCount slots.
constexpr int SlotOf(int Register)
{
    return Register < First ? -1
         : (Register - First) / PerSlot < EidCount ? (Register - First) / PerSlot
         : -1;
}

} // namespace EidRegisters

#endif
