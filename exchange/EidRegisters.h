#ifndef KORVEL_EIDREGISTERS_H
#define KORVEL_EIDREGISTERS_H

// Where the EID list lives in the device's holding registers: slot i takes
// the pair 47001 + 2i (high half) and 47002 + 2i (low half).

#include <QVector>

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

// One EID block request: its first register and its number of EIDs.
struct Block
{
    int FirstRegister;
    int Count;
};

// The blocks that carry positions 0 to Count - 1 of the list, in the order
// they are sent: EidsPerBlock EIDs each, the last one the rest. Both EID
// exchanges send exactly these (none for Count 0).
QVector<Block> Blocks(int Count);

} // namespace EidRegisters

#endif
