#!/usr/bin/env bash
# Plants known faults in the product code, one at a time, and reports which
# test suites notice each: a fault no suite notices is a hole in the tests.
#
# Usage: scripts/mutants.sh [--list] [--suites REGEX] [--jobs N] [--timeout S]
#                           [--no-baseline] [--out FILE] [ID...]
#   ID           only these faults (default: all)
#   --list       print the faults and stop
#   --check      tell, for each fault, whether its text is found exactly once
#   --suites     CTest regex of the suites run (default: ^tst_)
#   --jobs       suites run side by side (default 4; they mostly wait on timers)
#   --timeout    seconds a suite may take before it counts as failed (default 150)
#   --no-baseline  skip the first run without a fault
#   --out        also write the table to FILE
# Environment: KORVEL_MUTANTS_DIR  scratch folder (default ${TMPDIR:-/tmp}/korvel-mutants)
#              KORVEL_SOAK_COUNT   soak exchanges per run (default here 20, to keep a run short)
#
# The files of the source tree (scripts/source-files.sh) are copied to <dir>/src (only those
# that changed since the last run) and built in <dir>/src/build, kept between
# runs, so that a fault recompiles one file. The working tree is never touched.
#
# A fault is a file, an exact text in it, the text put in its place and a
# line saying what goes wrong. A text not found exactly once is reported as
# "not applicable" rather than failing, so that a fault can be re-pointed
# after the code moves.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

ids=() descs=() files=() olds=() news=()
fault() { ids+=("$1"); files+=("$2"); olds+=("$3"); news+=("$4"); descs+=("$5"); }

# --- frames and reply tests --------------------------------------------------
fault crc-poly exchange/ModbusRtu.cpp \
    'Crc ^= 0xA001;' 'Crc ^= 0xA003;' \
    'wrong CRC polynomial'
fault crc-unchecked exchange/ModbusRtu.cpp \
    'return ModbusCrc16(Reply) == 0;' 'return !Reply.isEmpty();' \
    'reply CRC never checked'
fault param-read-count exchange/ReplyCheck.cpp \
    'if (ByteAt(Reply, 2) != 2)' \
    'if (false)' \
    'parameter read reply: byte count not tested'
fault param-read-offset exchange/ModbusRtu.cpp \
    'return static_cast<quint16>(WordAt(Reply, 3));' 'return static_cast<quint16>(WordAt(Reply, 2));' \
    'parameter value taken one byte early'
fault param-write-length exchange/ReplyCheck.cpp \
    'const bool FixedLength = Where.What != Kind::EidRead && Where.What != Kind::EidWrite;' \
    'const bool FixedLength = Where.What != Kind::EidRead && Where.What != Kind::EidWrite && Where.What != Kind::ParamWrite;' \
    'parameter write reply: length not tested (exception replies pass)'
fault commit-code-unchecked exchange/ReplyCheck.cpp \
    'if (WordAt(Reply, 4) != quint32(Where.Count))' \
    'if (false)' \
    'commit reply: echoed code not tested'
fault eid-read-count exchange/ReplyCheck.cpp \
    'if (!CountInBlock(Where.Count) || ByteAt(Reply, 2) != quint32(4 * Where.Count))' \
    'if (false)' \
    'EID read reply: byte count not tested'
fault eid-write-echo exchange/ReplyCheck.cpp \
    'if (!CountInBlock(Where.Count) || WordAt(Reply, 4) != quint32(2 * Where.Count))' \
    'if (false)' \
    'EID write reply: register count not tested'
fault eid-write-function exchange/ReplyCheck.cpp \
    'if (ByteAt(Reply, 1) != ModbusRtu::FuncWriteMultiple)' \
    'if (false)' \
    'EID write reply: function code not tested'
fault reply-function-unchecked exchange/ReplyCheck.cpp \
    'if (Answered != Function)' 'if (false)' \
    'korvelctl --address: a reply with another function code taken'
fault reply-exception-function exchange/ReplyCheck.cpp \
    '&& Answered == (Function | 0x80))' ')' \
    'korvelctl --address: an exception to another function told as the request'"'"'s'
fault reply-register-unchecked exchange/ReplyCheck.cpp \
    'if (!Read && WordAt(Reply, 2) != quint16(Where.Register)) {' 'if (false) {' \
    'korvelctl --address: a write echoed with another register taken'
fault reply-value-unchecked exchange/ReplyCheck.cpp \
    'return ValueFault(Reply, Where);' 'return Fault(FaultCode::None);' \
    'korvelctl --address: a write echoed with another value taken'
fault reply-length-unchecked exchange/ReplyCheck.cpp \
    $'    if (Reply.size() != Expected)\n        return LengthFault(Reply, Expected);\n    return ValueFault' '    return ValueFault' \
    'korvelctl --address: an EID block with bytes beyond its count taken'
fault eid-reply-length exchange/ModbusRtu.cpp \
    'return static_cast<quint8>(4 * N + 5);' 'return static_cast<quint8>(4 * N + 4);' \
    'EID read waits for a reply one byte short (the wait runs out every block)'
fault eid-block-size exchange/ModbusRtu.h \
    'constexpr int EidsPerBlock = 25;' 'constexpr int EidsPerBlock = 26;' \
    'EID blocks of 26 instead of 25'
fault eid-byte-order exchange/ModbusRtu.cpp \
    'PutByte(Frame, End, Bits >> 24);' 'PutByte(Frame, End, Bits >> 8);' \
    'EID written with a wrong top byte'

fault doc-request-operate exchange/ConfigDocument.cpp \
    'return HeaderOf(Doc, Kind, OperateRead);' 'return HeaderOf(Doc, Kind, Doc.value(KeyOperate).toString());' \
    'a request with any "operate" accepted'
fault doc-reply-kind exchange/ConfigDocument.cpp \
    'return HeaderOf(Doc, Kind, OperateReadAck);' 'return HeaderOf(Doc, Doc.value(KeyTabText).toString(), OperateReadAck);' \
    'a reply of the other tab accepted'

# --- exchanges -----------------------------------------------------------------
fault protocol-sees-window exchange/ReplyCheck.cpp \
    '#include "ModbusRtu.h"' \
    $'#include "ModbusRtu.h"\n#include "ConfigDocument.h"' \
    'the protocol includes a document header of the window'
fault echo-ignored exchange/DeviceExchange.cpp \
    'Param->Value = ModbusRtu::ParamWriteEchoValue(Answer);' \
    'Q_UNUSED(Answer);' \
    'the device'"'"'s echo ignored: the sent value is shown'
fault param-commit-ignored exchange/DeviceExchange.cpp \
    'return Commit(ModbusRtu::CommitParamCode);' \
    $'Commit(ModbusRtu::CommitParamCode);\n    return true;' \
    'a refused parameter commit reported as success'
fault param-commit-code exchange/DeviceExchange.cpp \
    'return Commit(ModbusRtu::CommitParamCode);' \
    'return Commit(ModbusRtu::CommitEidCode);' \
    'parameter write commits with the EID code'
fault param-half-applied exchange/DeviceExchange.cpp \
    $'if (!ReadParam(&Param))\n            return false;' \
    $'if (!ReadParam(&Param))\n            break;' \
    'a failed parameter read half applied'
fault param-register exchange/ParamRegisters.h \
    '{"TxTimeout", 40307,' '{"TxTimeout", 40306,' \
    'transmit time-out mapped to the wrong register'
fault eid-commit-ignored exchange/DeviceExchange.cpp \
    'return Commit(ModbusRtu::CommitEidCode);' \
    $'Commit(ModbusRtu::CommitEidCode);\n    return true;' \
    'a refused EID commit reported as success'
fault eid-half-applied exchange/DeviceExchange.cpp \
    $'if (!EidBlock(Where, {}, &Read))\n            return false;' \
    $'if (!EidBlock(Where, {}, &Read))\n            break;' \
    'a failed EID read half applied'
fault eid-unnamed-position exchange/DocumentExchange.cpp \
    'if (!Named[Position])' \
    'if (false)' \
    'an EID request with a position no entry names is sent'
fault eid-last-block exchange/EidRegisters.cpp \
    'qMin(ModbusRtu::EidsPerBlock, Count - Slot)' 'ModbusRtu::EidsPerBlock' \
    'the last EID block always counted full'
fault failure-unset exchange/DocumentExchange.cpp \
    $'            if (I == 0)\n                return Device.Refuse(NotParams);' \
    $'            if (I == 0)\n                return false;' \
    'a refused parameter request leaves the failure of an earlier exchange'
fault failure-reset exchange/DeviceExchange.cpp \
    $'    LastFailure = {};\n    const quint8 Expected' \
    '    const quint8 Expected' \
    'an EID exchange that succeeds still reports an earlier failure'
fault obj-null-on-read exchange/DocumentExchange.cpp \
    'if (Got == HeaderTest::NotEmpty && Write)' \
    'if (Got == HeaderTest::NotEmpty)' \
    'the read exchanges log "Obj is Null" too'
fault log-category-ignored exchange/CategoryLog.h \
    'for (bool KorvelDebugOn = (Category).isDebugEnabled();' 'for (bool KorvelDebugOn = true;' \
    'the exchanges log through a category whose debug lines are off'
fault log-category-name exchange/CategoryLog.h \
    '(Category).categoryName())' '"korvel.exchange")' \
    'the window'"'"'s exchange lines come under a named category (with its prefix)'
fault wait-limit-text serial/SerialPortLine.h \
    'return MySerialPort::WaitPauses * MySerialPort::PauseStepMs;' 'return 1000;' \
    'the failure names a wait other than the window'"'"'s'
fault eid-collect-hex eid/EidSet.cpp \
    'text().toInt(nullptr, 10);' 'text().toInt(nullptr, 16);' \
    'EID fields read as hexadecimal'

fault ctl-param-commit-ignored exchange/DeviceExchange.cpp \
    'return Commit(ModbusRtu::CommitParamCode);' $'Commit(ModbusRtu::CommitParamCode);\n    return true;' \
    'korvelctl: a refused parameter commit reported as success'
fault strict-echo-ignored exchange/DeviceExchange.cpp \
    'Where.StrictEcho = StrictEcho;' 'Where.StrictEcho = false;' \
    'korvelctl: a write echoed with another value is committed'
fault port-refusal-unseen exchange/DeviceExchange.cpp \
    'const QString NotSent = Line.SendFailure();' 'const QString NotSent;' \
    'a request the port did not take is told as no reply'
fault fault-exit-code cli/CtlContext.cpp \
    '        Code = PortFailed;' '        Code = DeviceFailed;' \
    'korvelctl: a port that refused the bytes ends with the device'"'"'s exit code'
fault short-told-as-crc exchange/ReplyCheck.cpp \
    $'    if (Reply.size() < Expected)\n        return Fault(FaultCode::Short, Reply.size(), Expected);\n    if (Reply.size() > Expected' '    if (Reply.size() > Expected' \
    'an EID reply cut short is told as a bad CRC'
fault exception-taken-as-count exchange/ReplyCheck.cpp \
    'return Exception ? Fault(FaultCode::Exception, ModbusRtu::ExceptionCode(Reply)) : Fault(Code, Got, Want);' 'return Fault(Code, Got, Want);' \
    'an exception reply to an EID block told as a wrong count'
# --- port ------------------------------------------------------------------------
fault open-fail-as-open serial/MySerialPort.cpp \
    $'    PortOpened = open(QIODevice::ReadWrite);\n    return PortOpened;' $'    open(QIODevice::ReadWrite);\n    PortOpened = true;\n    return PortOpened;' \
    'a port that did not open reported open'
fault wait-early serial/MySerialPort.cpp \
    'if (Received > 0 && (ExpectedLength == 0 || Received == ExpectedLength))' 'if (Received > 0)' \
    'the wait ends at the first bytes, before the whole reply'
fault wait-short serial/MySerialPort.h \
    'static constexpr int WaitPauses = 30;' 'static constexpr int WaitPauses = 6;' \
    'the wait gives up after 300 ms instead of 1.5 s'
fault recv-cap serial/MySerialPort.cpp \
    'const int Room = RecvBufferCap - RecvBuffer.size();' 'const int Room = 1 << 30;' \
    'the receive cap removed'
fault stale-buffer serial/MySerialPort.cpp \
    $'    RecvBuffer.clear();\n    if (Data.isEmpty())' '    if (Data.isEmpty())' \
    'bytes of an earlier reply kept before a new request'
fault lost-line serial/MySerialPort.cpp \
    '&& isOpen())
        close();' '&& false)
        close();' \
    'a vanished line keeps being read'
fault scan-busy serial/MySerialPort.cpp \
    'if (!Probe.open(QIODevice::ReadWrite))' 'if (false)' \
    'the scan lists ports it cannot open'
fault scan-twice serial/MySerialPort.cpp \
    'if (!List->contains(Name, Qt::CaseSensitive))' 'if (true)' \
    'the scan lists a port twice'
fault file-unbounded cli/CtlFiles.cpp \
    'CtlIo::ReadFile(Path, MaxFileBytes, Text, Error)' 'CtlIo::ReadFile(Path, qint64(1) << 40, Text, Error)' \
    'korvelctl reads an input file of any size whole'
fault hex-lower exchange/ModbusRtu.cpp \
    'return QString::fromLatin1(Data.toHex().toUpper());' 'return QString::fromLatin1(Data.toHex());' \
    'frames logged in lower-case hex'

# --- window ----------------------------------------------------------------------
fault buttons-after-close app/UsartPanel.cpp \
    $'        QPushButton_Config_Read->setEnabled(false);\n        QPushButton_Config_Write->setEnabled(false);\n        return;' \
    $'        QPushButton_Config_Read->setEnabled(true);\n        QPushButton_Config_Write->setEnabled(true);\n        return;' \
    'buttons enabled on a closed port'
fault buttons-after-exchange exchange/Commands.cpp \
    'const bool PortStillOpen = SerialPort->PortOpened;' 'const bool PortStillOpen = true;' \
    'buttons enabled again after an exchange on a port closed meanwhile'
fault open-fail-silent app/UsartPanel.cpp \
    'ShowNotice(tr("Не удалось открыть порт. Пожалуйста, проверьте!"));' ';' \
    'a port that does not open: no notice'
fault line-speed app/UsartPanel.cpp \
    'const qint32 BaudRate = QComboBox_UsartBaud->currentData().toInt();' 'const qint32 BaudRate = 9600;' \
    'the chosen line speed ignored (always 9600)'
fault error-silent exchange/Commands.cpp \
    'if (Known && !Ok)' 'if (false)' \
    'a failed exchange: no notice'
fault read-writes exchange/Commands.cpp \
    $'    RunCommand(false);' $'    RunCommand(true);' \
    'the read button writes'
fault preset-off-by-one params/ParamTab.cpp \
    'const int K = Index * SfCount + (Sf - SfMin);' 'const int K = Index * SfCount + (Sf - SfMin + 1) % SfCount;' \
    'preset index off by one when the bandwidth changes'
fault preset-block params/ParamTab.cpp \
    'const int K = BandWidth * SfCount + (NewValue - SfMin);' 'const int K = (NewValue - SfMin);' \
    'spreading factor preset ignores the bandwidth block'
fault spin-range exchange/ParamRegisters.h \
    '{"ModbusID", 40003, 1, 255},' '{"ModbusID", 40003, 0, 255},' \
    'address field accepts 0'
fault eid-range-off-by-one eid/EidTab.cpp \
    'End - Start > EidCount - 1) {' 'End - Start > EidCount) {' \
    'range check off by one: 201 EIDs accepted'
fault eid-add-overlap eid/EidTab.cpp \
    'First = Last + 1;' 'First = Last;' \
    'an added range overwrites the last EID in use'
fault eid-in-use eid/EidTab.cpp \
    'return !Edit->text().isEmpty() && Edit->text().toInt() > 0;' 'return !Edit->text().isEmpty();' \
    'EID fields holding 0 count as in use'
fault eid-validator eid/EidTab.cpp \
    'new QIntValidator(0, 10000000, QWidget_Tab_Eid)' 'new QIntValidator(0, 100000000, QWidget_Tab_Eid)' \
    'EID fields accept numbers above 10000000'

fault paste-not-caught eid/EidPaste.cpp \
    '        Field->installEventFilter(this);' '        ;' \
    'a column pasted into an EID field refused by its validator'
fault paste-fit eid/EidPaste.cpp \
    'if (Slot + Texts.size() > EidCount) {' 'if (Slot + Texts.size() >= EidCount) {' \
    'a pasted column that ends at entry 200 refused'
fault paste-range eid/EidPaste.cpp \
    'ParseWholeNumber(Line, Validator->bottom(),' 'ParseWholeNumber(Line, -1,' \
    'a pasted -1 taken into an EID field'
fault paste-row-cells eid/EidPaste.cpp \
    "Cells = Cells || Line.contains(QLatin1Char('\\t'));" ';' \
    'a pasted row of two cells refused silently, without the notice'
fault paste-line-end eid/EidPaste.cpp \
    $'        if (Line.endsWith(QLatin1Char(\'\\r\')))\n            Line.chop(1);' ';' \
    'a single pasted value with CR LF refused'
fault paste-menu-both eid/EidPaste.cpp \
    '        disconnect(Action, &QAction::triggered, Field, nullptr);' '        ;' \
    'the context menu pastes twice: the field'"'"'s own paste as well'
fault paste-menu-own eid/EidPaste.cpp \
    '!= QLineEdit::tr("&Paste"))' '!= QLineEdit::tr("&Copy"))' \
    'the context menu'"'"'s Paste left to the field'

# --- simulator -------------------------------------------------------------------
fault sim-commit tools/devsim/DeviceAnswer.cpp \
    'KeptParams = WorkParams;
    else' 'WorkParams = WorkParams;
    else' \
    'simulator: a parameter commit keeps nothing'
fault sim-block tools/devsim/DeviceAnswer.cpp \
    $'    if (!InOneBlock(First, Count))\n        return Refuse(Frame, ExIllegalAddress, What, Note);\n    QByteArray Body = Frame.left(2);' \
    $'    QByteArray Body = Frame.left(2);' \
    'simulator: a read across blocks is answered'
fault sim-read-count tools/devsim/DeviceAnswer.cpp \
    'if (Count < 1 || Count > MaxReadCount)' 'if (Count < 1 || Count > 2 * MaxReadCount)' \
    'simulator: reads of more than 125 registers answered'
fault sim-bad-crc tools/devsim/DeviceAnswer.cpp \
    'if (Faults.Play(DeviceFault::BadCrc))' 'if (false)' \
    'simulator: the bad-crc fault is not played'
fault sim-address tools/devsim/DeviceCore.h \
    'return Address == 0 || Address == OwnAddress();' 'return Address == 0;' \
    'simulator: its own address ignored'
fault sim-eid-state tools/devsim/DeviceState.cpp \
    'Eids[R - First + 1] = quint16(Bits & 0xFFFF);' 'Eids[R - First + 1] = quint16(Bits >> 16);' \
    'simulator: EIDs loaded from a state file with a wrong low half'
fault sim-save tools/devsim/SerialLine.cpp \
    'if (Reply.Committed) {' 'if (false) {' \
    'simulator: a commit is not saved to the state file'
fault sim-resync tools/devsim/DeviceFraming.cpp \
    'Drop = Next;' 'break;' \
    'simulator: noise before a request is not skipped'
fault sim-device-baud tools/devsim/SerialLine.cpp \
    'const int Baud = LineBaud(Fd);' 'const int Baud = Settings.DeviceBaud;' \
    'simulator: a request at another line speed is answered'
fault sim-bus-address tools/devsim/DeviceBus.cpp \
    'if (Device.OwnAddress() == Address)' 'if (Device.OwnAddress() == Address || Replies.isEmpty())' \
    'simulator: on a bus, the first device answers every address'
fault sim-collision tools/devsim/DeviceBus.cpp \
    'if (DeviceCore::CrcOk(Line))' 'if (false)' \
    'simulator: identical replies of one address collide into a frame that checks'
# korvelctl and its protocol library.
fault ctl-wait-early lines/StreamLine.cpp \
    'if (Reply.size() >= ExpectedLength)' 'if (Reply.size() >= ExpectedLength - 1)' \
    'korvelctl: the wait ends one byte before the reply is complete'
fault ctl-no-silence lines/StreamLine.cpp \
    'if (LeftNs <= 0 ||' 'if (true ||' \
    'korvelctl: no 3.5-character silence before a request'
fault ctl-address-unchecked exchange/ReplyCheck.cpp \
    'if (From != Address)' \
    'if (false)' \
    'korvelctl --address: a reply from another address taken'
fault ctl-putback-echo-refused cli/CtlApply.cpp \
    '&& Exchange.Failure().Code != FaultCode::WrongEcho)' ')' \
    'korvelctl apply: a value put back and echoed otherwise ends the putting back as failed'
fault ctl-param-range cli/CtlFiles.cpp \
    'Number > Row->Max)' 'Number > Row->Max + 1)' \
    'korvelctl: a parameter file value one above its range accepted'
fault ctl-eid-count cli/EidListFile.cpp \
    'if (Eids->size() == EidCount) {' 'if (Eids->size() == EidCount + 1) {' \
    'korvelctl: an EID file of 201 values accepted'
fault csv-delimiter cli/EidListFile.cpp \
    'if (C == Delimiters[K] && ++Count[K] > Count[Most])' 'if (C == Delimiters[K] && ++Count[K] > 0)' \
    'korvelctl CSV: the last delimiter seen taken, not the most frequent'
fault csv-quotes cli/EidListFile.cpp \
    '} else if (C == Quote && Cell.trimmed().isEmpty()) {' '} else if (false) {' \
    'korvelctl CSV: a delimiter inside quotes splits the cell'
fault csv-quote-pair cli/EidListFile.cpp \
    $'                Cell += Quote;\n                ++I;' $'                ++I;' \
    'korvelctl CSV: "" inside quotes loses its quote'
fault csv-line-in-quotes cli/EidListFile.cpp \
    "Line += C == QLatin1Char('\\n') ? 1 : 0;" ';' \
    'korvelctl CSV: a line end inside quotes not counted; errors name the wrong line'
fault csv-heading cli/EidListFile.cpp \
    'Where->Heading = !Cell.isEmpty() && !BeginsAsNumber(Cell);' 'Where->Heading = !Cell.isEmpty();' \
    'korvelctl CSV: a first row of values taken for a heading'
fault csv-empty-tail cli/EidListFile.cpp \
    'while (!Rows->isEmpty() && IsEmpty(Rows->last()))' 'while (false)' \
    'korvelctl CSV: the empty rows a spreadsheet leaves at the end refused'
fault csv-duplicate-none cli/EidListFile.cpp \
    'if (Eids[I] == 0 || Eids[I] == CtlFiles::EidNone)' 'if (Eids[I] == 0)' \
    'korvelctl: -1 at two entries warned of as a duplicate'
fault ctl-column-ignored cli/CtlContext.cpp \
    'ParseEids(Text, Eids, &Error, Set.EidColumn, &Warnings, Values)' 'ParseEids(Text, Eids, &Error, {}, &Warnings, Values)' \
    'korvelctl: --column ignored'
fault ctl-diff-column cli/CtlCommands.cpp \
    'OptBaud | OptInput | OptJson | OptWait, OptColumn,' 'OptBaud | OptInput | OptJson | OptWait, 0,' \
    'korvelctl: diff eids refuses --column'
fault ctl-csv-output cli/CtlReadEids.cpp \
    'Set.Csv ? EidListFile::FormatCsv(Eids)' 'false ? EidListFile::FormatCsv(Eids)' \
    'korvelctl: read eids --csv writes one EID a line'
fault ctl-half-file cli/CtlIo.cpp \
    'D->Fd = ::mkstemp(D->Temp.data());' 'D->Fd = ::open(D->Place.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644); D->Temp.clear();' \
    'korvelctl: the output file is created before the read has succeeded'
fault ctl-write-unchecked cli/CtlIo.cpp \
    $'            *Error = Done < 0 ? errno : ENOSPC;\n            return false;' $'            break;' \
    'korvelctl: a failed write of an output file (EFBIG, ENOSPC) taken for a whole file'
fault ctl-fifo-replaced cli/CtlIo.cpp \
    'if (Exists && !S_ISREG(Old.st_mode)) {' 'if (Exists && S_ISCHR(Old.st_mode)) {' \
    'korvelctl: a FIFO given to -o replaced by a regular file'
fault ctl-mode-lost cli/CtlIo.cpp \
    'if (::fchmod(D->Fd, Mode) != 0)' 'if (false)' \
    'korvelctl: a replaced output file loses its mode'
fault ctl-stdout-unchecked cli/Korvelctl.cpp \
    'if (Out.status() != QTextStream::Ok) {' 'if (false) {' \
    'korvelctl: a failed write to standard output reported as success'
fault ctl-nul-taken cli/InputText.cpp \
    'if (C.isNull()) {' 'if (false) {' \
    'korvelctl: a NUL byte in an input file passed over'
fault ctl-utf16be-ignored cli/InputText.cpp \
    'else if (StartsWith(Bytes, "\xFE\xFF", 2))' 'else if (false)' \
    'korvelctl: a UTF-16 BE file read as UTF-8'
fault ctl-empty-list-written cli/EidListFile.cpp \
    'if (Eids->isEmpty()) {' 'if (false) {' \
    'korvelctl: an EID file with no EID writes 200 zeros'
fault ctl-blank-shifts cli/EidListFile.cpp \
    'if (!Line.isEmpty() || Comment < 0)' 'if (!Line.isEmpty())' \
    'korvelctl: a blank line between EIDs moves every later one up an entry'
fault ctl-id-off-bus cli/CtlFiles.cpp \
    'Param.Value > CtlCommands::LastAddress)' 'Param.Value > 255)' \
    'korvelctl: a ModbusID of 248 to 255 written, out of reach of --address'
fault ctl-commit-certain cli/CtlContext.cpp \
    'if (!Fault.InTransaction || Fault.Where.What != Transaction::Kind::Commit)' 'if (true)' \
    'korvelctl: a lost reply to a commit reported as a refused commit, never verified'
fault ctl-json-failure-silent cli/CtlContext.cpp \
    'if (!Set.Json && !JsonAsked)' 'if (true)' \
    'korvelctl --json: a failure prints no JSON'
fault ctl-late-reply-blamed cli/CtlScan.cpp \
    'if (Failed.Code == FaultCode::OtherAddress && Failed.Got == Silent' 'if (false' \
    'korvelctl scan: a late reply blamed on the next address'
fault ctl-eid-signed cli/CtlFiles.cpp \
    'QByteArray::number(quint32(Eid))' 'QByteArray::number(Eid)' \
    'korvelctl: an EID above 2^31 saved as a negative number'
fault ctl-option-table cli/CtlCommands.cpp \
    'if (!(Takes & Options[I].Bit) && Given.IsSet(I)) {' 'if (false) {' \
    'korvelctl: an option the command does not take is passed over'
fault ctl-range-reversed cli/CtlCommands.cpp \
    'if (Set->From > Set->To) {' 'if (false) {' \
    'korvelctl scan: a reversed address range accepted'
fault ctl-trace-reply lines/StreamLine.cpp \
    $'    else\n        Trace(\'<\', OnWire(Reply, false));' $'    else\n        ;' \
    'korvelctl -v: a whole reply is not traced'
fault ctl-trace-no-reply lines/StreamLine.cpp \
    'Trace('"'"'<'"'"', Reply, QStringLiteral("no reply ") + Within);' ';' \
    'korvelctl -v: a reply that did not come is not traced'
fault net-ff-single lines/Rfc2217.cpp \
    $'        if (quint8(C) == Iac)\n            Out += C;' ';' \
    'korvelctl rfc2217://: a 0xFF of a request not doubled'
fault net-ff-undoubled lines/Rfc2217.cpp \
    'Data += C; // a doubled 0xFF is one data byte' ';' \
    'korvelctl rfc2217://: a doubled 0xFF of a reply dropped'
fault net-refusal-missed lines/Rfc2217.cpp \
    'if (Option == ComPortOption && !Yes)' 'if (false)' \
    'korvelctl rfc2217://: a server refusing COM port control not recognised'
fault net-port-zero lines/LineUrl.cpp \
    'if (Port < 1 || Port > 65535)' 'if (Port > 65535)' \
    'korvelctl --port tcp://HOST:0 accepted'
fault net-mbap-transaction lines/Mbap.cpp \
    'if (Id != Transaction) {' 'if (false) {' \
    'korvelctl modbus-tcp://: a late reply to an earlier request taken for this one'"'"'s'
fault net-mbap-unit lines/Mbap.cpp \
    'else if (From != Unit)' 'else if (false)' \
    'korvelctl modbus-tcp://: a reply from another unit taken'
fault net-mbap-protocol lines/Mbap.cpp \
    'if (Protocol != 0)' 'if (false)' \
    'korvelctl modbus-tcp://: a reply of another protocol taken'
fault net-rfc2217-early lines/NetLines.cpp \
    'Socket.write(Rfc2217::Opening());' 'Socket.write(Rfc2217::Opening() + Rfc2217::Commands(Rfc2217::LineSettings(quint32(Baud))));' \
    'korvelctl rfc2217://: the line settings sent before the server agreed to COM port control'
fault net-rfc2217-unconfirmed lines/NetLines.cpp \
    'if (Set != One.Value)' 'if (false)' \
    'korvelctl rfc2217://: a server that set another setting than asked taken'
fault net-fixed-speed-followed cli/CtlWriteParams.cpp \
    'if (Line.FixedSpeed() && (Code = CheckFixedSpeed(Wanted, Set.Verify)) != Done)' 'if (false)' \
    'korvelctl tcp://: a BaudRate written is followed on a line whose speed is the server'"'"'s'
fault net-gateway-none-fault cli/CtlScan.cpp \
    '} else if (GatewayFoundNone(Exchange.Failure())) {' '} else if (false) {' \
    'korvelctl scan: a gateway'"'"'s 0x0B taken for a fault on the bus'
fault net-silence-unbounded lines/StreamLine.cpp \
    'if (Trying.elapsed() > WaitMs)' 'if (Trying.elapsed() > 20 * WaitMs)' \
    'korvelctl: a line that never falls silent holds a request twenty times its wait'
fault ctl-probe-one-pass cli/CtlProbe.cpp \
    'for (const int Wait : {QuickWaitMs, StreamLine::ReplyLimitMs}) {' 'for (const int Wait : {StreamLine::ReplyLimitMs}) {' \
    'korvelctl probe: no quick pass, the full wait at every speed'
fault ctl-probe-quick-only cli/CtlProbe.cpp \
    'for (const int Wait : {QuickWaitMs, StreamLine::ReplyLimitMs}) {' 'for (const int Wait : {QuickWaitMs}) {' \
    'korvelctl probe: a slow device is never found'
fault ctl-scan-broadcast cli/CtlScan.cpp \
    'for (int Address = Set.From; Address <= Set.To; ++Address) {' 'for (int Address = Set.From - 1; Address <= Set.To; ++Address) {' \
    'korvelctl scan: the address below the range (0, the broadcast address) is scanned'
fault ctl-scan-fault-unnamed cli/CtlScan.cpp \
    '} else if (Line.Heard()) {' '} else if (false) {' \
    'korvelctl scan: a garbled reply or a stranger'"'"'s is not named'
fault ctl-compare-part cli/CtlFiles.cpp \
    'for (int Slot = 0; Slot < File.size(); ++Slot) {' 'for (int Slot = 0; Slot < File.size() / 2; ++Slot) {' \
    'korvelctl diff and write --verify: only the first half of the EID list compared'
fault ctl-diff-writes cli/CtlDiff.cpp \
    $'    if (!Exchange.ReadParams(&Device))\n        return Ctl.DeviceFault();\n    return Report' \
    $'    if (!Exchange.WriteParams(&Device))\n        return Ctl.DeviceFault();\n    return Report' \
    'korvelctl diff params: writes the file to the device instead of reading'
fault ctl-diff-exit cli/CtlDiff.cpp \
    'return Found.isEmpty() ? Done : Differs;' 'return Done;' \
    'korvelctl diff: a difference ends with 0'
fault ctl-ports-busy lines/PortStatus.cpp \
    'return Why == QSerialPort::PermissionError ? Busy : Failed;' 'return Busy;' \
    'korvelctl ports: a port that fails to open for any cause is marked busy'
fault ctl-ports-file lines/PortStatus.cpp \
    'if (Why == QSerialPort::DeviceNotFoundError || !Device.exists())' 'if (Why == QSerialPort::DeviceNotFoundError)' \
    'korvelctl: a port whose device file is gone is not told as missing'
# The operator's language.
fault lang-c-ignored i18n/Language.cpp \
    'if (IsC(Locale))' 'if (false)' \
    'language: LANG=C does not hold over LANGUAGE'
fault lang-json-translated cli/main.cpp \
    'if (!Arguments.contains(QStringLiteral("--json")))' 'if (true)' \
    'korvelctl: a --json run translated, its JSON differing by language'

# --- options -----------------------------------------------------------------------
suites='^tst_'
jobs=4
timeout=150
baseline=1
out=''
list=0
chosen=()
while [ $# -gt 0 ]; do
    case "$1" in
        --suites) suites="$2"; shift 2 ;;
        --jobs) jobs="$2"; shift 2 ;;
        --timeout) timeout="$2"; shift 2 ;;
        --no-baseline) baseline=0; shift ;;
        --out) out="$2"; shift 2 ;;
        --list) list=1; shift ;;
        --check) list=2; shift ;;
        -h | --help) sed -n '2,/^set -uo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
        -*) echo "mutants: unknown option $1" >&2; exit 2 ;;
        *) chosen+=("$1"); shift ;;
    esac
done

if [ $list -eq 1 ]; then
    for i in "${!ids[@]}"; do printf '%-24s %-28s %s\n' "${ids[$i]}" "${files[$i]}" "${descs[$i]}"; done
    exit 0
fi
if [ $list -eq 2 ]; then
    for i in "${!ids[@]}"; do
        n=$(OLD="${olds[$i]}" perl -0777 -ne '$o=$ENV{OLD}; $c=0; $p=0; while(($p=index($_,$o,$p))>=0){$c++;$p++} print $c' "$root/${files[$i]}" 2>/dev/null)
        printf '%-24s %s\n' "${ids[$i]}" "$([ "$n" = 1 ] && echo ok || echo "found ${n:-0} times in ${files[$i]}")"
    done
    exit 0
fi
selected=()
if [ ${#chosen[@]} -eq 0 ]; then
    selected=("${!ids[@]}")
else
    for want in "${chosen[@]}"; do
        found=0
        for i in "${!ids[@]}"; do
            [ "${ids[$i]}" = "$want" ] && { selected+=("$i"); found=1; }
        done
        [ $found -eq 1 ] || { echo "mutants: no fault '$want' (see --list)" >&2; exit 2; }
    done
fi

dir="${KORVEL_MUTANTS_DIR:-${TMPDIR:-/tmp}/korvel-mutants}"
src="$dir/src"
build="$src/build"
mkdir -p "$src" "$dir/logs"

# --- scratch copy: the tracked files as they are in the working tree -----------------
sync_copy() {
    local f
    bash "$root/scripts/source-files.sh" >"$dir/tracked"
    while IFS= read -r f; do
        [ -f "$root/$f" ] || continue
        # Copied with a new time stamp: an older one could look older than
        # the object built from the file it replaces.
        if ! cmp -s "$root/$f" "$src/$f"; then
            mkdir -p "$(dirname "$src/$f")"
            cp "$root/$f" "$src/$f"
            chmod --reference="$root/$f" "$src/$f"
        fi
    done <"$dir/tracked"
    # Files no longer tracked go, so that a removed suite is no longer built.
    (cd "$src" && find . -path ./build -prune -o -type f -print | sed 's|^\./||') |
        grep -vxF -f "$dir/tracked" | while IFS= read -r f; do rm -f "$src/$f"; done
}

# Replaces the text exactly once; exit 3 when it is not found, 4 when it is
# found more than once.
apply_text() {
    OLD="$2" NEW="$3" perl -0777 -i -pe '
        BEGIN { $o = $ENV{OLD}; $n = $ENV{NEW}; }
        my $at = index($_, $o);
        if ($at < 0) { $rc = 3; }
        elsif (index($_, $o, $at + 1) >= 0) { $rc = 4; }
        else { substr($_, $at, length $o) = $n; }
        END { exit($rc // 0); }' "$1"
}

export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$root")}" CCACHE_DIR="${CCACHE_DIR:-$(dirname "$root")/.ccache}"
# The scratch copy lies elsewhere than the working tree; its objects may
# share the cache with the working tree's build all the same.
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

build_all() {
    local targets=() suite
    for suite in "$src"/tests/tst_*.cpp; do
        suite="${suite##*/}"
        targets+=("${suite%.cpp}")
    done
    cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >"$1" 2>&1 &&
        cmake --build "$build" -j2 --target korvel korvel-devsim "${targets[@]}" >>"$1" 2>&1
}

# Runs the suites; prints the names of those that failed, space-separated.
run_suites() {
    rm -f "$build/Testing/Temporary/LastTestsFailed.log"
    (cd "$build" && KORVEL_SOAK_COUNT="${KORVEL_SOAK_COUNT:-20}" QT_QPA_PLATFORM=offscreen ctest -R "$suites" -j"$jobs" --timeout "$timeout" --output-on-failure >"$1" 2>&1)
    if [ -f "$build/Testing/Temporary/LastTestsFailed.log" ]; then
        cut -d: -f2 "$build/Testing/Temporary/LastTestsFailed.log" | sort | tr '\n' ' ' | sed 's/ $//'
    fi
}

start=$SECONDS
sync_copy
echo "mutants: scratch copy in $src"
if ! build_all "$dir/logs/build-base.log"; then
    echo "mutants: the unchanged code does not build, see $dir/logs/build-base.log" >&2
    exit 1
fi
broken=''
if [ $baseline -eq 1 ]; then
    t=$SECONDS
    broken="$(run_suites "$dir/logs/baseline.log")"
    echo "mutants: baseline run of the suites took $((SECONDS - t)) s${broken:+; failing without a fault: $broken}"
fi

table=()
row() { table+=("$(printf '%-24s %-64s %s' "$1" "$2" "$3")"); echo "${table[-1]}"; }
row FAULT WHAT 'CAUGHT BY'
survived=0
for i in "${selected[@]}"; do
    id="${ids[$i]}" file="${files[$i]}"
    t=$SECONDS
    cp -p "$src/$file" "$dir/original"
    apply_text "$src/$file" "${olds[$i]}" "${news[$i]}"
    rc=$?
    if [ $rc -ne 0 ]; then
        [ $rc -eq 3 ] && why='text not found' || why='text not unique'
        row "$id" "${descs[$i]}" "not applicable ($why in $file)"
        continue
    fi
    if ! build_all "$dir/logs/build-$id.log"; then
        result="does not build (see $dir/logs/build-$id.log)"
    else
        failed="$(run_suites "$dir/logs/run-$id.log")"
        caught=''
        for s in $failed; do
            case " $broken " in *" $s "*) ;; *) caught+="$s " ;; esac
        done
        result="${caught% }"
        if [ -z "$result" ]; then
            result=SURVIVED
            survived=$((survived + 1))
        fi
    fi
    # Restored with a new time stamp, so that the next build recompiles it
    # (from the compiler cache) together with the next fault.
    cp "$dir/original" "$src/$file"
    row "$id" "${descs[$i]}" "$result  [$((SECONDS - t)) s]"
done
# Leaves the scratch build matching the working tree again.
build_all "$dir/logs/build-base.log" || true
echo "mutants: ${#selected[@]} faults, $survived survived, $((SECONDS - start)) s in all"
if [ -n "$out" ]; then
    printf '%s\n' "${table[@]}" >"$out"
    echo "mutants: ${#selected[@]} faults, $survived survived, $((SECONDS - start)) s in all" >>"$out"
fi
