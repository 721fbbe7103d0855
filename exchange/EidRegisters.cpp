#include "EidRegisters.h"

#include "ModbusRtu.h"

namespace EidRegisters {

QVector<Block> Blocks(int Count)
{
    QVector<Block> List;
    for (int Slot = 0; Slot < Count; Slot += ModbusRtu::EidsPerBlock)
        List.append({OfSlot(Slot), qMin(ModbusRtu::EidsPerBlock, Count - Slot)});
    return List;
}

} // namespace EidRegisters
