<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>DeviceFault</name>
    <message>
        <source>no reply at all; the request is not carried out</source>
        <translation>ответа нет вовсе; запрос не выполняется</translation>
    </message>
    <message>
        <source>the reply&apos;s last CRC byte is inverted</source>
        <translation>последний байт CRC в ответе инвертирован</translation>
    </message>
    <message>
        <source>the reply loses its last K bytes (default 1; at least one byte stays)</source>
        <translation>ответ теряет последние K байт (по умолчанию 1; хотя бы один байт остаётся)</translation>
    </message>
    <message>
        <source>K bytes 0xFF follow the reply (default 1)</source>
        <translation>за ответом идут K байт 0xFF (по умолчанию 1)</translation>
    </message>
    <message>
        <source>the reply goes out in pieces of SIZE bytes, GAP ms apart (default 2,20)</source>
        <extracomment>&quot;2,20&quot; is SIZE 2 and GAP 20, two values, not a decimal number.</extracomment>
        <translation>ответ уходит частями по SIZE байт с паузами по GAP мс (по умолчанию SIZE 2, GAP 20)</translation>
    </message>
    <message>
        <source>the reply starts MS ms later than usual (default 2000)</source>
        <translation>ответ начинается на MS мс позже обычного (по умолчанию 2000)</translation>
    </message>
    <message>
        <source>a read reply&apos;s byte count claims two bytes more; a multiple-write echo one register more</source>
        <translation>в ответе на чтение счётчик байтов завышен на два; в эхе записи нескольких регистров число регистров завышено на один</translation>
    </message>
    <message>
        <source>a single-register write is stored, but echoed with V (default: value + 1)</source>
        <translation>запись одного регистра сохраняется, но в эхе стоит значение V (по умолчанию: записанное + 1)</translation>
    </message>
    <message>
        <source>a commit is carried out, but echoed with code V (default 0)</source>
        <translation>фиксация выполняется, но в эхе стоит код V (по умолчанию 0)</translation>
    </message>
    <message>
        <source>exception reply with CODE (default 4, server device failure); not carried out</source>
        <translation>ответ-исключение с кодом CODE (по умолчанию 4, отказ устройства); запрос не выполняется</translation>
    </message>
    <message>
        <source>the line is hung up instead of a reply, and the simulator ends</source>
        <translation>вместо ответа линия разрывается, и симулятор завершается</translation>
    </message>
    <message>
        <source>fault &apos;%1&apos; takes no value</source>
        <translation>неисправность &apos;%1&apos; не принимает значений</translation>
    </message>
    <message numerus="yes">
        <source>fault &apos;%1&apos; takes at most %n value(s)</source>
        <translation>
            <numerusform>неисправность &apos;%1&apos; принимает не больше %n значения</numerusform>
            <numerusform>неисправность &apos;%1&apos; принимает не больше %n значений</numerusform>
            <numerusform>неисправность &apos;%1&apos; принимает не больше %n значений</numerusform>
        </translation>
    </message>
    <message>
        <source>fault &apos;%1&apos;: value &apos;%2&apos; is not a number from %3 to %4</source>
        <translation>неисправность &apos;%1&apos;: значение &apos;%2&apos; — не число от %3 до %4</translation>
    </message>
    <message>
        <source>unknown fault &apos;%1&apos; (known: %2)</source>
        <translation>неизвестная неисправность &apos;%1&apos; (известные: %2)</translation>
    </message>
    <message>
        <source>fault &apos;%1&apos;: after &apos;@&apos; a request number from 1 up is needed</source>
        <translation>неисправность &apos;%1&apos;: после &apos;@&apos; нужен номер запроса, начиная с 1</translation>
    </message>
</context>
<context>
    <name>DeviceState</name>
    <message>
        <source>&quot;%1&quot; must be an object</source>
        <translation>значение &quot;%1&quot; должно быть объектом</translation>
    </message>
    <message>
        <source>&quot;Parameters&quot;: &quot;%1&quot; is no register from %2 to %3</source>
        <translation>&quot;Parameters&quot;: &quot;%1&quot; — не номер регистра от %2 до %3</translation>
    </message>
    <message>
        <source>&quot;Parameters&quot;: register %1 needs a whole number from 0 to 65535</source>
        <translation>&quot;Parameters&quot;: в регистре %1 должно быть целое число от 0 до 65535</translation>
    </message>
    <message>
        <source>&quot;Eids&quot;: &quot;%1&quot; is no first register of an EID (47001, 47003 ... 47399)</source>
        <translation>&quot;Eids&quot;: &quot;%1&quot; — не первый регистр EID (47001, 47003 ... 47399)</translation>
    </message>
    <message>
        <source>&quot;Eids&quot;: EID at %1 needs a whole 32-bit number</source>
        <translation>&quot;Eids&quot;: EID в регистре %1 должен быть целым 32-битным числом</translation>
    </message>
    <message>
        <source>unknown key &quot;%1&quot;</source>
        <translation>неизвестный ключ &quot;%1&quot;</translation>
    </message>
    <message>
        <source>&quot;Version&quot; must be 1</source>
        <translation>значение &quot;Version&quot; должно быть равно 1</translation>
    </message>
    <message>
        <source>not valid JSON (%1 at byte %2)</source>
        <translation>неверный JSON (%1, байт %2)</translation>
    </message>
    <message>
        <source>not a JSON object</source>
        <translation>не объект JSON</translation>
    </message>
    <message>
        <source>unknown key &quot;%1&quot; beside &quot;Devices&quot;</source>
        <translation>неизвестный ключ &quot;%1&quot; рядом с &quot;Devices&quot;</translation>
    </message>
    <message numerus="yes">
        <source>&quot;Devices&quot; must hold %n states, one for each device of --devices</source>
        <translation>
            <numerusform>в &quot;Devices&quot; должно быть %n состояние, по одному на каждое устройство из --devices</numerusform>
            <numerusform>в &quot;Devices&quot; должно быть %n состояния, по одному на каждое устройство из --devices</numerusform>
            <numerusform>в &quot;Devices&quot; должно быть %n состояний, по одному на каждое устройство из --devices</numerusform>
        </translation>
    </message>
    <message>
        <source>&quot;Devices&quot;: entry %1 must be an object</source>
        <translation>&quot;Devices&quot;: элемент %1 должен быть объектом</translation>
    </message>
    <message>
        <source>&quot;Devices&quot;: entry %1: %2</source>
        <translation>&quot;Devices&quot;: элемент %1: %2</translation>
    </message>
    <message>
        <source>cannot be written (%1)</source>
        <translation>недоступен для записи (%1)</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>не удалось записать %1: %2</translation>
    </message>
</context>
<context>
    <name>DevsimOptions</name>
    <message>
        <source>--port needs a path</source>
        <translation>--port требует путь</translation>
    </message>
    <message>
        <source>--baud needs a whole number from 50 to 4000000, not &apos;%1&apos;</source>
        <translation>--baud требует целое число от 50 до 4000000, а не &apos;%1&apos;</translation>
    </message>
    <message>
        <source>--turnaround needs a whole number of milliseconds from 0 to 60000, not &apos;%1&apos;</source>
        <translation>--turnaround требует целое число миллисекунд от 0 до 60000, а не &apos;%1&apos;</translation>
    </message>
    <message>
        <source>--device-baud needs one of %1, not &apos;%2&apos;</source>
        <translation>--device-baud требует одно из значений %1, а не &apos;%2&apos;</translation>
    </message>
    <message>
        <source>--devices needs addresses from 1 to 247, separated by commas, not &apos;%1&apos;</source>
        <translation>--devices требует адреса от 1 до 247 через запятую, а не &apos;%1&apos;</translation>
    </message>
    <message>
        <source>--state needs a file name</source>
        <translation>--state требует имя файла</translation>
    </message>
    <message>
        <source>--%1 given more than once</source>
        <translation>--%1 указан больше одного раза</translation>
    </message>
    <message>
        <source>give either --pty or --port PATH</source>
        <translation>укажите либо --pty, либо --port PATH</translation>
    </message>
    <message>
        <source>--baud %1 is no speed a serial line can be set to (1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400 ...)</source>
        <translation>--baud %1: такой скорости у последовательной линии не бывает (1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400 ...)</translation>
    </message>
    <message>
        <source>with --port, --baud and --device-baud must be the same speed</source>
        <translation>с --port значения --baud и --device-baud должны быть одной скоростью</translation>
    </message>
    <message>
        <source>--baud-after-restart needs --device-baud</source>
        <translation>--baud-after-restart требует --device-baud</translation>
    </message>
    <message>
        <source>unexpected argument &apos;%1&apos;</source>
        <translation>лишний аргумент &apos;%1&apos;</translation>
    </message>
    <message>
        <source>Usage: korvel-devsim (--pty | --port PATH) [options]

Stands in for the LoRa radio device on a serial line: a Modbus RTU slave
that answers requests addressed to 0x00 and to its own RS-485 address.

Line:
  --pty            create a pseudo-terminal pair and serve it; the path that
                   the tool should open is the first line printed on stdout
  --port PATH      serve an existing serial line (a USB adapter, one end of a
                   virtual null-modem pair), set to raw 8N1
  --baud N         pace replies at N baud, 10 bits a byte (default: no
                   pacing); with --port the line is set to N (default 9600)
  --turnaround MS  delay between a request and its reply (default 3)
  --device-baud N  the device plays its line speed, N out of the factory (4800,
                   9600, 19200, 38400, 57600 or 115200; BaudRate starts at its
                   index): a request that arrives while the line is at another
                   speed gets no reply. On a pseudo-terminal the line&apos;s speed
                   is the one the tool set on its end; with --port the line is
                   set to the device&apos;s speed. A committed BaudRate is taken
                   over from the next request on; a --state file holds the
                   speed over N (default: any speed, BaudRate not played)
  --baud-after-restart
                   with --device-baud: a committed BaudRate is taken over only
                   when the simulator is started again (with --state, from the
                   file); until then the device hears at its old speed
  --devices A[,B...]
                   devices on the line at these RS-485 addresses (1 to 247),
                   each with its own image holding its address in ModbusID;
                   an address given twice is two devices answering at once,
                   whose replies collide into one frame with a bad CRC; 0x00
                   is answered by the first device (default: one device)
  --state FILE     keep the committed image in FILE as JSON: loaded at start
                   when it exists, written after every commit and at the end;
                   checked at start to be writable; with several --devices
                   one image each, {&quot;Version&quot;: 1, &quot;Devices&quot;: [...]}, in
                   the order of --devices
  --fault FAULT    play a fault on demand; may be repeated (see Faults)
  -v, --verbose    log every frame to stderr as it goes, one line each:
                   milliseconds since the start, &apos;&lt;&apos; received or &apos;&gt;&apos; sent,
                   the bytes in hex (12.345 &lt; 11 03 9C 43 00 01 59 1E);
                   bytes dropped or ignored, faults played and a speed taken
                   over are named after them in brackets
  -h, --help       show this help
  --version        show the version
</source>
        <translation>Использование: korvel-devsim (--pty | --port PATH) [параметры]

Заменяет радиоустройство LoRa на последовательной линии: ведомое устройство
Modbus RTU, отвечающее на запросы по адресу 0x00 и по своему адресу RS-485.

Линия:
  --pty            создать пару псевдотерминалов и обслуживать её; путь, который
                   должна открыть программа, — первая строка в stdout
  --port PATH      обслуживать существующую последовательную линию (USB-адаптер,
                   один конец виртуального нуль-модема) в режиме raw 8N1
  --baud N         выдавать ответы в темпе N бод, 10 бит на байт (по умолчанию
                   без задержки); с --port линия ставится на N (по умолчанию
                   9600)
  --turnaround MS  пауза между запросом и ответом, мс (по умолчанию 3)
  --device-baud N  устройство соблюдает свою скорость линии, с завода N
                   (4800, 9600, 19200, 38400, 57600 или 115200; BaudRate сначала
                   равен её индексу): на запрос на другой скорости ответа нет.
                   На псевдотерминале скорость линии — та, что программа
                   установила на своём конце; с --port линия ставится на
                   скорость устройства. Зафиксированный BaudRate действует со
                   следующего запроса; файл --state хранит скорость вместо N
                   (по умолчанию: любая скорость, BaudRate не соблюдается)
  --baud-after-restart
                   вместе с --device-baud: зафиксированный BaudRate действует
                   только после нового запуска симулятора (с --state — из
                   файла); до тех пор устройство слышит на прежней скорости
  --devices A[,B...]
                   устройства на линии с этими адресами RS-485 (от 1 до 247),
                   у каждого свой образ со своим адресом в ModbusID; адрес,
                   указанный дважды, — два устройства, отвечающие разом, их
                   ответы сливаются в один кадр с неверной контрольной суммой
                   (CRC); на 0x00 отвечает первое устройство (по умолчанию
                   одно устройство)
  --state FILE     хранить зафиксированный образ в FILE в виде JSON: читается
                   при запуске, если файл есть, записывается после каждой
                   фиксации и в конце; при запуске проверяется, что в него
                   можно писать; при нескольких --devices по образу на каждое,
                   {&quot;Version&quot;: 1, &quot;Devices&quot;: [...]}, в порядке --devices
  --fault FAULT    разыграть неисправность; можно повторять (см.
                   «Неисправности»)
  -v, --verbose    писать каждый кадр в stderr, по строке на кадр: миллисекунды
                   от запуска, &apos;&lt;&apos; принят или &apos;&gt;&apos; отправлен, байты в
                   шестнадцатеричном виде (12.345 &lt; 11 03 9C 43 00 01 59 1E);
                   отброшенные или пропущенные байты, сыгранные неисправности и
                   принятая скорость названы после них в скобках
  -h, --help       показать эту справку
  --version        показать версию
</translation>
    </message>
    <message>
        <source>
Device:
  Holding registers, numbered as they go on the wire (no base subtracted):
    40001..40320   parameter block, one contiguous block; registers that hold
                   no parameter of the tool are plain storage, 0 at the start
    40001          command register: 6 takes the parameters over, 8 the EIDs;
                   other codes get exception 0x03; it always reads 0
    47001..47400   EID block: 200 EIDs of two registers, high half first
  Functions 0x03 (read 1 to 125 registers), 0x06 (write one register) and
  0x10 (write 1 to 123 registers, byte count 2 x count). A request must lie
  inside one block. Exception replies: 0x01 unknown function, 0x02 register
  outside the blocks, 0x03 bad count, byte count or command code. Frames with
  a bad CRC or for another address get no reply; after noise the simulator
  drops a byte at a time until a frame starts. A frame ends where the length
  its function implies ends (8 bytes for 0x03 and 0x06, 9 + byte count for
  0x10); for another function, at the first CRC that checks.
  Writes change the working image, which reads return; a commit takes it
  over into the committed image, which --state keeps. Writes that were not
  committed are lost when the simulator ends.
  Own address: the committed value of 40003 (ModbusID), %1 at the start.
  The reply to a commit goes out from the old address (and at the old
  speed); a new ModbusID (and, with --device-baud, a new BaudRate; one whose
  index names no speed is not taken over) counts from the next request on.
  Start values (EIDs are 0):
%2
Faults: --fault KIND[=VALUE[,VALUE2]][@N]
  Without @N the fault is played on every request addressed to the device;
  with @N only on the Nth such request, counted from 1. A fault that does not
  fit that request (echo-value on a read) leaves it alone. Numbers may be
  given in hex (0x...). Kinds:
%3
Examples:
  korvel-devsim --pty -v
  korvel-devsim --port /dev/ttyUSB0 --baud 9600 --state device.json
  korvel-devsim --pty --fault bad-crc@3 --fault chunks=3,40
  korvel-devsim --pty --device-baud 9600 --baud-after-restart --state unit.json

Exit status: 0 after SIGINT or SIGTERM and after a hang-up fault; 1 when the
line cannot be used or the state cannot be saved at the end; 2 for bad
arguments and for a state file that, at the start, cannot be read, is not a
valid state or cannot be written (it is then left as it is).
</source>
        <translation>
Устройство:
  Регистры хранения, с номерами, как они идут по линии (без вычета базы):
    40001..40320   блок параметров, один сплошной; регистры, где нет параметров
                   программы, — просто память, при запуске 0
    40001          командный регистр: 6 применяет параметры, 8 — EID; на другие
                   коды — исключение 0x03; при чтении всегда 0
    47001..47400   блок EID: 200 EID по два регистра, старшая половина первой
  Функции 0x03 (чтение от 1 до 125 регистров), 0x06 (запись одного регистра) и
  0x10 (запись от 1 до 123 регистров, счётчик байтов 2 x число регистров).
  Запрос должен лежать внутри одного блока. Ответы-исключения: 0x01 неизвестная
  функция, 0x02 регистр вне блоков, 0x03 неверное число регистров, счётчик
  байтов или код команды. На кадры с неверной контрольной суммой (CRC) или с
  чужим адресом ответа нет; после помех симулятор отбрасывает по байту, пока
  не начнётся кадр. Кадр кончается там, где кончается длина, заданная его
  функцией (8 байт для 0x03 и 0x06, 9 + счётчик байтов для 0x10); для другой
  функции — на первой сошедшейся CRC.
  Запись меняет рабочий образ, его и возвращает чтение; фиксация переносит
  его в зафиксированный образ, который хранит --state. Записи без фиксации
  теряются, когда симулятор завершается.
  Свой адрес: зафиксированное значение 40003 (ModbusID), при запуске %1.
  Ответ на запрос фиксации уходит со старого адреса (и на старой скорости);
  новый ModbusID (а с --device-baud и новый BaudRate; индекс, за которым нет
  скорости, не принимается) действует со следующего запроса.
  Начальные значения (EID равны 0):
%2
Неисправности: --fault KIND[=VALUE[,VALUE2]][@N]
  Без @N неисправность разыгрывается на каждом запросе к устройству; с @N —
  только на N-м таком запросе, считая с 1. Неисправность, которая к запросу не
  подходит (echo-value при чтении), его не трогает. Числа можно давать в
  шестнадцатеричном виде (0x...). Виды:
%3
Примеры:
  korvel-devsim --pty -v
  korvel-devsim --port /dev/ttyUSB0 --baud 9600 --state device.json
  korvel-devsim --pty --fault bad-crc@3 --fault chunks=3,40
  korvel-devsim --pty --device-baud 9600 --baud-after-restart --state unit.json

Код завершения: 0 после SIGINT или SIGTERM и после неисправности hang-up; 1,
если линией нельзя пользоваться или состояние не удалось сохранить в конце; 2
при неверных аргументах и при файле состояния, который при запуске не
читается, не является допустимым состоянием или недоступен для записи (тогда
он остаётся как есть).
</translation>
    </message>
</context>
<context>
    <name>SerialLine</name>
    <message>
        <source>not a serial line: %1</source>
        <translation>не последовательная линия: %1</translation>
    </message>
    <message>
        <source>cannot set the line to raw 8N1: %1</source>
        <translation>не удалось перевести линию в режим raw 8N1: %1</translation>
    </message>
    <message>
        <source>cannot create a pseudo-terminal: %1</source>
        <translation>не удалось создать псевдотерминал: %1</translation>
    </message>
    <message>
        <source>cannot open the pseudo-terminal&apos;s slave: %1</source>
        <translation>не удалось открыть ведомую сторону псевдотерминала: %1</translation>
    </message>
    <message>
        <source>cannot open %1: %2</source>
        <translation>не удалось открыть %1: %2</translation>
    </message>
    <message>
        <source>end of file</source>
        <translation>конец файла</translation>
    </message>
    <message>
        <source>the line is lost (%1)</source>
        <translation>линия потеряна (%1)</translation>
    </message>
    <message>
        <source>cannot set the line to %1 Bd: %2</source>
        <translation>не удалось установить на линии %1 бод: %2</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>state file %1: %2</source>
        <translation>файл состояния %1: %2</translation>
    </message>
    <message>
        <source>Try &apos;%1 --help&apos; for more information.</source>
        <translation>Подробнее: &apos;%1 --help&apos;.</translation>
    </message>
</context>
</TS>
