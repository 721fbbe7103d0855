<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
<context>
    <name>ApplyCommand</name>
    <message>
        <source>apply params takes -i FILE or NAME=VALUE, not both</source>
        <translation>apply params принимает -i FILE или NAME=VALUE, но не то и другое вместе</translation>
    </message>
    <message>
        <source>apply params needs -i FILE or NAME=VALUE (e.g. RfFrequency=433)</source>
        <translation>apply params требует -i FILE или NAME=VALUE (например, RfFrequency=433)</translation>
    </message>
    <message>
        <source>reading the values back</source>
        <translation>значения считываются обратно</translation>
    </message>
    <message>
        <source>apply eids needs -i FILE</source>
        <translation>apply eids требует -i FILE</translation>
    </message>
    <message>
        <source>reading the list back</source>
        <translation>список считывается обратно</translation>
    </message>
    <message>
        <source>verify: </source>
        <translation>проверка: </translation>
    </message>
    <message>
        <source>verify: entry %1 reads %2 after %3 was written</source>
        <translation>проверка: в позиции %1 прочитано %2, хотя записано %3</translation>
    </message>
    <message>
        <source>%1; the values sent were put back</source>
        <translation>%1; прежние значения восстановлены</translation>
    </message>
    <message>
        <source>%1; putting the values sent back failed too (%2): the device may hold them uncommitted until it restarts</source>
        <translation>%1; восстановить прежние значения тоже не удалось (%2): устройство может хранить отправленные значения незафиксированными до перезапуска</translation>
    </message>
    <message>
        <source>entry %1</source>
        <extracomment>An entry of the EID list.</extracomment>
        <translation>позиция %1</translation>
    </message>
    <message>
        <source>unchanged: the device holds these values; nothing written</source>
        <translation>без изменений: в устройстве уже записаны эти значения; ничего не записано</translation>
    </message>
    <message numerus="yes">
        <source>%n EID entry would be written and committed; nothing written (--check)</source>
        <translation>
            <numerusform>%n позиция EID была бы записана и зафиксирована; ничего не записано (--check)</numerusform>
            <numerusform>%n позиции EID были бы записаны и зафиксированы; ничего не записано (--check)</numerusform>
            <numerusform>%n позиций EID были бы записаны и зафиксированы; ничего не записано (--check)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n EID entries would be written and committed; nothing written (--check)</source>
        <translation>
            <numerusform>%n позиция EID была бы записана и зафиксирована; ничего не записано (--check)</numerusform>
            <numerusform>%n позиции EID были бы записаны и зафиксированы; ничего не записано (--check)</numerusform>
            <numerusform>%n позиций EID были бы записаны и зафиксированы; ничего не записано (--check)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n parameter would be written and committed; nothing written (--check)</source>
        <translation>
            <numerusform>%n параметр был бы записан и зафиксирован; ничего не записано (--check)</numerusform>
            <numerusform>%n параметра были бы записаны и зафиксированы; ничего не записано (--check)</numerusform>
            <numerusform>%n параметров были бы записаны и зафиксированы; ничего не записано (--check)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n parameters would be written and committed; nothing written (--check)</source>
        <translation>
            <numerusform>%n параметр был бы записан и зафиксирован; ничего не записано (--check)</numerusform>
            <numerusform>%n параметра были бы записаны и зафиксированы; ничего не записано (--check)</numerusform>
            <numerusform>%n параметров были бы записаны и зафиксированы; ничего не записано (--check)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n EID entry written and committed</source>
        <translation>
            <numerusform>%n позиция EID записана и зафиксирована</numerusform>
            <numerusform>%n позиции EID записаны и зафиксированы</numerusform>
            <numerusform>%n позиций EID записаны и зафиксированы</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n EID entries written and committed</source>
        <translation>
            <numerusform>%n позиция EID записана и зафиксирована</numerusform>
            <numerusform>%n позиции EID записаны и зафиксированы</numerusform>
            <numerusform>%n позиций EID записаны и зафиксированы</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>Context</name>
    <message>
        <source>Try &apos;korvelctl --help&apos; for more information.</source>
        <translation>Подробнее: korvelctl --help.</translation>
    </message>
    <message>
        <source>warning: %1</source>
        <translation>предупреждение: %1</translation>
    </message>
    <message>
        <source>warning: %1: %2</source>
        <translation>предупреждение: %1: %2</translation>
    </message>
    <message>
        <source>the reply to the commit was lost or garbled (%1); </source>
        <translation>ответ на запрос фиксации потерян или искажён (%1); </translation>
    </message>
    <message>
        <source>the commit was sent; </source>
        <translation>запрос фиксации отправлен; </translation>
    </message>
</context>
<context>
    <name>CtlAssignments</name>
    <message>
        <source>&quot;%1&quot; must be a speed of %2 or %3 Bd, or an item index from %4 to %5, not %6</source>
        <translation>значение &quot;%1&quot; должно быть скоростью %2 или %3 бод либо номером пункта от %4 до %5, а не %6</translation>
    </message>
    <message>
        <source>&quot;%1&quot; must be a whole number from %2 to %3, not %4</source>
        <translation>значение &quot;%1&quot; должно быть целым числом от %2 до %3, а не %4</translation>
    </message>
    <message>
        <source>set needs NAME=VALUE, one or more, with names from %1</source>
        <translation>команде set нужны слова NAME=VALUE, одно или несколько, с именами из списка: %1</translation>
    </message>
    <message>
        <source>%1 is not NAME=VALUE (e.g. %2=33)</source>
        <translation>%1 не имеет вида NAME=VALUE (например, %2=33)</translation>
    </message>
    <message>
        <source>%1 is no parameter; the parameters are %2</source>
        <translation>параметра %1 нет; параметры: %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is given twice</source>
        <translation>параметр &quot;%1&quot; задан дважды</translation>
    </message>
</context>
<context>
    <name>CtlCommands</name>
    <message>
        <source>no command given</source>
        <translation>не задана команда</translation>
    </message>
    <message>
        <source>unknown command &apos;%1&apos;</source>
        <translation>неизвестная команда &apos;%1&apos;</translation>
    </message>
    <message>
        <source>%1 needs &apos;params&apos; or &apos;eids&apos;</source>
        <extracomment>%1 is a command (read, write, diff, apply); params and eids are words of the command line.</extracomment>
        <translation>после %1 нужно указать &apos;params&apos; или &apos;eids&apos;</translation>
    </message>
    <message>
        <source>unexpected argument &apos;%1&apos;</source>
        <translation>лишний аргумент &apos;%1&apos;</translation>
    </message>
    <message>
        <source>%1 takes no %2</source>
        <extracomment>%1 is a command (&quot;read params&quot;), %2 an option (&quot;--verify&quot;).</extracomment>
        <translation>команда %1 не принимает ключ %2</translation>
    </message>
    <message>
        <source>%1 needs %2</source>
        <extracomment>%1 is a command (&quot;read params&quot;), %2 an option it needs (&quot;--port PORT&quot;, &quot;-i FILE&quot;).</extracomment>
        <translation>команде %1 нужен ключ %2</translation>
    </message>
    <message>
        <source>--baud cannot be used with modbus-tcp://: the gateway&apos;s own setting fixes the bus&apos;s speed</source>
        <translation>--baud нельзя задавать с modbus-tcp://: скорость шины задаётся собственной настройкой шлюза</translation>
    </message>
    <message>
        <source>probe cannot run through a Modbus TCP gateway (modbus-tcp://): the gateway&apos;s own setting fixes the bus&apos;s speed, which no request can change; scan finds the radios&apos; addresses</source>
        <translation>probe не работает через шлюз Modbus TCP (modbus-tcp://): скорость шины задаётся собственной настройкой шлюза, и никакой запрос её не изменит; адреса радиоустройств находит scan</translation>
    </message>
    <message>
        <source>--baud cannot be used with tcp://: the server&apos;s own setting fixes the line&apos;s speed (rfc2217:// sets it; tcp://HOST:PORT?baud=N only tells it)</source>
        <translation>--baud нельзя задавать с tcp://: скорость линии задаётся собственной настройкой сервера (rfc2217:// её устанавливает, а tcp://HOST:PORT?baud=N только сообщает)</translation>
    </message>
    <message>
        <source>probe cannot change the speed over a raw connection (tcp://): the server&apos;s own setting fixes it; use rfc2217:// or read at that speed</source>
        <translation>probe не может менять скорость через прямое соединение (tcp://): её задаёт собственная настройка сервера; используйте rfc2217:// или читайте на этой скорости</translation>
    </message>
    <message>
        <source>-o needs a file name</source>
        <translation>после -o нужно имя файла</translation>
    </message>
    <message>
        <source>--baud must be %1 or %2, not &apos;%3&apos;</source>
        <translation>значение --baud должно быть %1 или %2, а не &apos;%3&apos;</translation>
    </message>
    <message>
        <source>%1 must be a whole number from %2 to %3, not &apos;%4&apos;</source>
        <extracomment>%1 is an option (&quot;--address&quot;).</extracomment>
        <translation>значение %1 должно быть целым числом от %2 до %3, а не &apos;%4&apos;</translation>
    </message>
    <message>
        <source>--column must be a column number from 1 or a heading, not &apos;%1&apos;</source>
        <translation>значение --column должно быть номером столбца (начиная с 1) или заголовком, а не &apos;%1&apos;</translation>
    </message>
    <message>
        <source>--from %1 is above --to %2; the addresses run up from --from to --to, within %3 to %4</source>
        <translation>--from %1 больше, чем --to %2; адреса идут по возрастанию от --from до --to, в пределах от %3 до %4</translation>
    </message>
    <message>
        <source>%1 is given more than once</source>
        <extracomment>%1 is an option (&quot;--port&quot;).</extracomment>
        <translation>ключ %1 задан больше одного раза</translation>
    </message>
</context>
<context>
    <name>CtlFiles</name>
    <message>
        <source>&quot;%1&quot; must be a whole number from %2 to %3, not %4; --out-of-range writes a value outside that range as it is</source>
        <translation>значение &quot;%1&quot; должно быть целым числом от %2 до %3, а не %4; --out-of-range записывает значение вне этого диапазона как есть</translation>
    </message>
    <message>
        <source>&quot;%1&quot; must be a whole number from %2 to %3, not %4</source>
        <translation>значение &quot;%1&quot; должно быть целым числом от %2 до %3, а не %4</translation>
    </message>
    <message>
        <source>not JSON: %1 at offset %2</source>
        <translation>не JSON: %1 (смещение %2)</translation>
    </message>
    <message>
        <source>not a JSON object; give {&quot;NAME&quot;: VALUE, ...} with names from %1</source>
        <translation>не объект JSON; нужен {&quot;NAME&quot;: VALUE, ...} с именами из списка: %1</translation>
    </message>
    <message>
        <source>%1 is no parameter; the parameters are %2</source>
        <translation>параметра %1 нет; параметры: %2</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is given twice</source>
        <translation>параметр &quot;%1&quot; задан дважды</translation>
    </message>
    <message>
        <source>names no parameter; give one or more of %1</source>
        <translation>в файле нет ни одного параметра; укажите один или несколько из списка: %1</translation>
    </message>
    <message>
        <source>%1 %2 would put the device out of reach: an RS-485 address on a bus is %3 to %4</source>
        <translation>с %1 %2 устройство стало бы недоступным: адрес RS-485 на шине — от %3 до %4</translation>
    </message>
    <message>
        <source>%1 is %2, outside the range %3 to %4 that the window and write take</source>
        <translation>%1 = %2, вне диапазона от %3 до %4, который принимают окно и write</translation>
    </message>
    <message>
        <source>entry %1 holds EID %2, outside the range 0 to %3 that the window and write take</source>
        <translation>в позиции %1 записан EID %2, вне диапазона от 0 до %3, который принимают окно и write</translation>
    </message>
</context>
<context>
    <name>CtlHelp</name>
    <message>
        <source>Usage: korvelctl COMMAND [options]

Reads and writes the parameters and the EID list of the LoRa radio device
on a serial line (Modbus RTU), through files.

Commands:
  ports                                  list the serial ports; a port another
                                         program holds is marked busy
  read params --port PORT [-o FILE]      the 14 parameters into a parameter file;
                                         a value outside the window&apos;s range is
                                         saved as it is, with a warning
  write params --port PORT -i FILE [--verify] [--json] [--out-of-range]
                                         write the parameters the file names, then
                                         the commit request (code 6); a new
                                         ModbusID or BaudRate is followed: the
                                         summary (and --verify) says where the
                                         device answers now
  set --port PORT NAME=VALUE... [--verify] [--json] [--out-of-range]
                                         the same with the parameters on the
                                         command line: set --port ttyUSB0
                                         ModbusID=33 BaudRate=115200 --verify
                                         (BaudRate: the speed in Bd or the index)
  read eids --port PORT [-o FILE] [--csv]
                                         the 200 EIDs into an EID file
  write eids --port PORT -i FILE [--column N|NAME] [--verify] [--out-of-range]
                                         write the EID list, then the commit
                                         request (code 8)
  probe --port PORT                      find the speed the device answers at and
                                         print it with the device&apos;s RS-485 address:
                                         a quick pass over the six speeds, waiting
                                         100 ms at each, then one with the full wait
                                         (not over tcp:// or modbus-tcp://: the
                                         server&apos;s speed)
  scan --port PORT [--from A] [--to B] [--wait MS]
                                         read ModbusID (register 40003) at each
                                         address from A to B (default 1 to 247) and
                                         print &apos;ADDRESS: ModbusID N&apos; for each device
                                         that answers; a garbled reply or one from
                                         another address is a fault on the bus; a
                                         gateway&apos;s exception 0x0B is no device
  diff params|eids --port PORT -i FILE [--column N|NAME]
                                         compare the device with a file (the whole
                                         list for EIDs) and print each difference:
                                         &apos;NAME: device X, file Y&apos; or &apos;entry N: ...&apos;;
                                         nothing is written
  apply params --port PORT (-i FILE | NAME=VALUE...) [--check] [--json]
  apply eids --port PORT -i FILE [--column N|NAME] [--check] [--json]
                                         bring the device to what the file (or
                                         the NAME=VALUE words, as set takes them)
                                         names: read it; if it holds that already,
                                         write nothing (exit 0); else write only
                                         what differs (EIDs: the blocks of 25
                                         holding a difference), commit, follow a
                                         new ModbusID or BaudRate and read back.
                                         Prints &apos;NAME: OLD -&gt; NEW&apos; for each change
                                         (&apos;entry N: ...&apos; for EIDs). --check: print
                                         what would change, write nothing

</source>
        <extracomment>korvelctl --help, its commands. Commands, options, parameter names and examples stay as they are; lines of at most 80 columns.</extracomment>
        <translation>Использование: korvelctl COMMAND [ключи]

Читает и записывает параметры и список EID радиоустройства LoRa на
последовательной линии (Modbus RTU) через файлы.

Команды:
  ports                                  список последовательных портов; порт,
                                         который занимает другая программа,
                                         помечен «занят»
  read params --port PORT [-o FILE]      14 параметров в файл параметров;
                                         значение вне диапазона окна сохраняется
                                         как есть, с предупреждением
  write params --port PORT -i FILE [--verify] [--json] [--out-of-range]
                                         записать параметры, названные в файле,
                                         затем запрос фиксации (код 6); за новым
                                         ModbusID или BaudRate команда следует:
                                         итоговая строка (и --verify) называет,
                                         где устройство отвечает теперь
  set --port PORT NAME=VALUE... [--verify] [--json] [--out-of-range]
                                         то же с параметрами в командной строке:
                                         set --port ttyUSB0 ModbusID=33
                                         BaudRate=115200 --verify (BaudRate:
                                         скорость в бодах или номер пункта)
  read eids --port PORT [-o FILE] [--csv]
                                         200 EID в файл EID
  write eids --port PORT -i FILE [--column N|NAME] [--verify] [--out-of-range]
                                         записать список EID, затем запрос
                                         фиксации (код 8)
  probe --port PORT                      найти скорость, на которой отвечает
                                         устройство, и вывести её вместе с
                                         адресом RS-485 устройства: быстрый
                                         проход по шести скоростям с ожиданием
                                         100 мс на каждой, затем проход с полным
                                         ожиданием (не через tcp:// и
                                         modbus-tcp://: там скорость задаёт
                                         сервер)
  scan --port PORT [--from A] [--to B] [--wait MS]
                                         прочитать ModbusID (регистр 40003) по
                                         каждому адресу от A до B (по умолчанию
                                         от 1 до 247) и вывести для каждого
                                         ответившего устройства
                                         &apos;ADDRESS: ModbusID N&apos;; искажённый ответ
                                         или ответ с другого адреса —
                                         неисправность шины; исключение шлюза
                                         0x0B означает, что устройства нет
  diff params|eids --port PORT -i FILE [--column N|NAME]
                                         сравнить устройство с файлом (для EID —
                                         весь список) и вывести каждое различие:
                                         &apos;NAME: устройство X, файл Y&apos; или
                                         &apos;позиция N: ...&apos;; ничего не
                                         записывается
  apply params --port PORT (-i FILE | NAME=VALUE...) [--check] [--json]
  apply eids --port PORT -i FILE [--column N|NAME] [--check] [--json]
                                         привести устройство к тому, что названо
                                         в файле (или в словах NAME=VALUE, как
                                         их принимает set): прочитать его; если
                                         в нём это уже записано, ничего не
                                         записывать (код 0); иначе записать
                                         только то, что отличается (для EID —
                                         блоки по 25 позиций, в которых есть
                                         различие), зафиксировать, последовать
                                         за новым ModbusID или BaudRate и
                                         считать обратно. Выводит
                                         &apos;NAME: OLD -&gt; NEW&apos; для каждого
                                         изменения (&apos;позиция N: ...&apos; для EID).
                                         --check: вывести, что изменилось бы,
                                         ничего не записывая

</translation>
    </message>
    <message>
        <source>Options:
  --port PORT      a name as &apos;ports&apos; lists it (ttyUSB0, COM3) or a path; or a
                   serial device server: tcp://HOST:PORT passes the frames as
                   they are (the server&apos;s own setting fixes the speed; add
                   ?baud=N to say which, for the pause between frames:
                   9600 unless said), rfc2217://HOST:PORT is Telnet with COM
                   port control (korvelctl sets the speed and 8N1); or a
                   Modbus TCP gateway: modbus-tcp://HOST[:PORT] (502 unless
                   given; the unit identifier is --address, else 0); HOST a
                   name, an IPv4 address or an IPv6 address in brackets.
                   Connecting waits at most 3 s. Over tcp:// and
                   modbus-tcp:// a BaudRate other than the radio&apos;s is written
                   only without --verify: the server must follow it
  --baud N         4800, 9600, 19200, 38400, 57600 or 115200 (default 9600);
                   not with tcp:// or modbus-tcp://
  --address N      talk to the device with RS-485 address N (1 to 247) and
                   refuse replies from any other; default: address 0x00
  --retries N      send a transaction again up to N times when it gets no valid
                   reply (default 0)
  -o, --output FILE  write to FILE instead of standard output (- is standard
                   output); a file is replaced only once the whole read
                   succeeded and every byte is on the disk, keeping its mode;
                   a FIFO or a device is written in place
  -i, --input FILE the file to write from or compare with (- is standard input)
  --verify         read the written values back and compare them; after a
                   new ModbusID at that address, after a new BaudRate at that
                   speed first, then at the old one; also after a commit whose
                   reply was lost or garbled
  --out-of-range   write, set: write a value outside the window&apos;s range (a
                   parameter 0 to 65535, an EID 0 to 4294967295) as it is, as
                   read saves what a device holds; ModbusID stays 1 to 247
  --column N|NAME  write eids, diff eids: the CSV column holding the EIDs, its
                   number from 1 or its heading; default: the column headed
                   EID, else the first
  --csv            read eids: write CSV, entry,eid with a heading row
  -v, --verbose    show each frame sent (&gt;) and received (&lt;) on standard error
                   as it happens: milliseconds since the start, then the bytes
                   in hex; a reply that did not come or came short is named so
  --from A, --to B scan these addresses, 1 to 247, A not above B
  --wait MS        the wait for each reply, 10 to 1500 ms (scan: default 100;
                   read, write, set, diff, apply: default 1500)
  --check          apply: say what would change; nothing is written
  --line-wait S    wait up to S seconds (0 to 3600, default 120) while another
                   korvelctl, of any user, uses the same line (one serial port
                   by whatever name, one server HOST:PORT); then exit 3 naming
                   it. Runs on different lines go on side by side
  --json           ports, probe, scan, diff, write params, set, apply: one JSON
                   document on standard output instead of the table or the
                   lines; on failure {&quot;exit&quot;, &quot;fault&quot;, &quot;message&quot;} with
                   &quot;transaction&quot; where one failed (scan: with its lists):
                     ports  {&quot;ports&quot;: [{&quot;port&quot;, &quot;state&quot;, &quot;description&quot;,
                             &quot;manufacturer&quot;, &quot;serial&quot;}]}
                     probe  {&quot;baud&quot;, &quot;address&quot;}
                     scan   {&quot;devices&quot;: [{&quot;address&quot;, &quot;ModbusID&quot;}],
                             &quot;faults&quot;: [{&quot;address&quot;, &quot;fault&quot;}]}
                     diff   {&quot;differences&quot;: [{&quot;parameter&quot; or &quot;entry&quot;,
                             &quot;device&quot;, &quot;file&quot;}]}
                     write params, set  {&quot;written&quot;: {NAME: VALUE},
                             &quot;verified&quot;, &quot;address&quot;, &quot;baud&quot;}: where the
                             device answers (address 0: 0x00); with
                             &quot;baud_at_restart&quot; where it kept its old speed
                     apply  {&quot;changed&quot;, &quot;check&quot;, &quot;before&quot;: {NAME or ENTRY:
                             VALUE}, &quot;after&quot;: {...} (what differs only),
                             &quot;address&quot;, &quot;baud&quot;} as write params
  -h, --help       show this help
  --version        show the version

</source>
        <extracomment>korvelctl --help, its options. Option names, values, JSON keys and URLs stay as they are; lines of at most 80 columns.</extracomment>
        <translation>Ключи:
  --port PORT      имя, как его выводит &apos;ports&apos; (ttyUSB0, COM3), или путь; либо
                   сервер последовательных портов: tcp://HOST:PORT передаёт
                   кадры как есть (скорость задаёт собственная настройка
                   сервера; ?baud=N сообщает её для паузы между кадрами, без
                   него — 9600), rfc2217://HOST:PORT — Telnet с управлением
                   COM-портом (korvelctl сам устанавливает скорость и 8N1); либо
                   шлюз Modbus TCP: modbus-tcp://HOST[:PORT] (502, если порт не
                   задан; идентификатор устройства — --address, иначе 0); HOST —
                   имя, адрес IPv4 или адрес IPv6 в квадратных скобках.
                   Подключение ждёт не больше 3 с. Через tcp:// и modbus-tcp://
                   BaudRate, отличный от скорости радиоустройства, записывается
                   только без --verify: сервер должен перейти на эту скорость
  --baud N         4800, 9600, 19200, 38400, 57600 или 115200 (по умолчанию
                   9600); не с tcp:// и modbus-tcp://
  --address N      обращаться к устройству с адресом RS-485 N (от 1 до 247) и
                   отклонять ответы с любого другого; по умолчанию адрес 0x00
  --retries N      повторять транзакцию до N раз, если на неё не пришло
                   правильного ответа (по умолчанию 0)
  -o, --output FILE  писать в FILE вместо стандартного вывода (- означает
                   стандартный вывод); файл заменяется, только когда всё чтение
                   прошло успешно и все байты записаны на диск, с прежними
                   правами доступа; FIFO или устройство записываются на месте
  -i, --input FILE файл, из которого записывать или с которым сравнивать
                   (- означает стандартный ввод)
  --verify         считать записанные значения обратно и сравнить; после нового
                   ModbusID — по этому адресу, после нового BaudRate — сначала
                   на этой скорости, затем на старой; также после фиксации,
                   ответ на которую потерян или искажён
  --out-of-range   write, set: записать значение вне диапазона окна (параметр от
                   0 до 65535, EID от 0 до 4294967295) как есть, так же, как
                   read сохраняет то, что записано в устройстве; ModbusID
                   по-прежнему от 1 до 247
  --column N|NAME  write eids, diff eids: столбец CSV, в котором находятся EID,
                   по номеру (начиная с 1) или по заголовку; по умолчанию
                   столбец с заголовком EID, а если его нет, первый
  --csv            read eids: писать CSV, entry,eid со строкой заголовка
  -v, --verbose    выводить на стандартный поток ошибок каждый отправленный (&gt;)
                   и принятый (&lt;) кадр по мере обмена: миллисекунды от начала,
                   затем байты в шестнадцатеричном виде; ответ, который не
                   пришёл или пришёл не целиком, так и назван
  --from A, --to B опрашивать эти адреса, от 1 до 247, A не больше B
  --wait MS        ожидание каждого ответа, от 10 до 1500 мс (scan: по умолчанию
                   100; read, write, set, diff, apply: по умолчанию 1500)
  --check          apply: вывести, что изменилось бы; ничего не записывается
  --line-wait S    ждать до S секунд (от 0 до 3600, по умолчанию 120), пока ту
                   же линию (один последовательный порт под любым именем, один
                   сервер HOST:PORT) занимает другой korvelctl любого
                   пользователя; затем завершиться с кодом 3, назвав его.
                   Запуски на разных линиях идут одновременно
  --json           ports, probe, scan, diff, write params, set, apply: один
                   документ JSON на стандартный вывод вместо таблицы или строк;
                   при ошибке {&quot;exit&quot;, &quot;fault&quot;, &quot;message&quot;} с &quot;transaction&quot;, если
                   не удалась транзакция (scan: со своими списками); все тексты
                   такого запуска — на английском:
                     ports  {&quot;ports&quot;: [{&quot;port&quot;, &quot;state&quot;, &quot;description&quot;,
                             &quot;manufacturer&quot;, &quot;serial&quot;}]}
                     probe  {&quot;baud&quot;, &quot;address&quot;}
                     scan   {&quot;devices&quot;: [{&quot;address&quot;, &quot;ModbusID&quot;}],
                             &quot;faults&quot;: [{&quot;address&quot;, &quot;fault&quot;}]}
                     diff   {&quot;differences&quot;: [{&quot;parameter&quot; или &quot;entry&quot;,
                             &quot;device&quot;, &quot;file&quot;}]}
                     write params, set  {&quot;written&quot;: {NAME: VALUE},
                             &quot;verified&quot;, &quot;address&quot;, &quot;baud&quot;}: где
                             устройство отвечает (адрес 0: 0x00); с
                             &quot;baud_at_restart&quot;, если оно осталось на
                             старой скорости
                     apply  {&quot;changed&quot;, &quot;check&quot;, &quot;before&quot;: {NAME или ENTRY:
                             VALUE}, &quot;after&quot;: {...} (только то, что
                             отличается), &quot;address&quot;, &quot;baud&quot;} как у
                             write params
  -h, --help       показать эту справку
  --version        показать версию

</translation>
    </message>
    <message>
        <source>Parameter file: one JSON object, {&quot;ModbusID&quot;: 17, &quot;BaudRate&quot;: 1, ...}, with the
register values as the device holds them (a list field holds its item index:
BaudRate 1 is 9600). read writes all 14; write and set take any of them.
EID file: one EID a line in list order, 0 to 10000000, -1 for an unprogrammed
entry; &apos;#&apos; starts a comment. Or CSV as a spreadsheet saves it (comma, semicolon
or tab; a first row that is no number is a heading). write takes up to 200,
writes 0 for the rest and warns of an EID given twice; diff reads it alike.
Blank lines count only before the first EID and after the last; a file with no
EID is refused (the one line 0 empties the list).
Files are UTF-8 or UTF-16 with a byte order mark, with any line ends; a NUL or
a byte that is no UTF-8 is refused with its line.

</source>
        <extracomment>korvelctl --help, its files. Parameter names and file syntax stay as they are.</extracomment>
        <translation>Файл параметров: один объект JSON, {&quot;ModbusID&quot;: 17, &quot;BaudRate&quot;: 1, ...}, со
значениями регистров в том виде, в каком их хранит устройство (поле-список
содержит номер своего пункта: BaudRate 1 — это 9600). read записывает все 14;
write и set принимают любые из них.
Файл EID: по одному EID в строке в порядке списка, от 0 до 10000000, -1 для
незапрограммированной позиции; &apos;#&apos; начинает комментарий. Или CSV, как его
сохраняет электронная таблица (запятая, точка с запятой или табуляция; первая
строка, которая не является числом, — заголовок). write принимает не больше 200
EID, записывает 0 в остальные позиции и предупреждает об EID, заданном дважды;
diff читает файл так же. Пустые строки допускаются только перед первым EID и
после последнего; файл без EID отклоняется (одна строка 0 очищает список).
Файлы — в UTF-8 или в UTF-16 с меткой порядка байтов, с любыми концами строк;
байт NUL или байт, не являющийся UTF-8, отклоняется с указанием строки.

</translation>
    </message>
    <message>
        <source>Exit status: 0 done; 1 the device did not answer or refused (scan: no device
answered; a connection to a server lost in the middle of a command): a fault
before the commit leaves the device uncommitted, the message names what was
sent after it (a lost or garbled reply to the commit: the device may have
taken the change; a failed verify: the commit was sent); 2 bad arguments or
input file (nothing sent); 3 the port cannot be opened or refused the bytes
(a server: cannot be reached, refuses the connection or COM port control);
4 diff: the device holds other values than the file; 5 the output could not
be written (the device was read; a file that was there is kept). apply: as
write; a device that holds the values already is success (0). A line still
busy after --line-wait is 3.
</source>
        <extracomment>korvelctl --help, its exit statuses. Numbers and option names stay as they are.</extracomment>
        <translation>Коды возврата: 0 выполнено; 1 устройство не ответило или отказало (scan: не
ответило ни одно устройство; соединение с сервером потеряно посреди команды):
ошибка до фиксации оставляет устройство без фиксации, а об ошибке после неё
сообщение говорит прямо (потерянный или искажённый ответ на фиксацию: устройство
могло принять изменение; неудачная проверка: запрос фиксации был отправлен);
2 неверные аргументы или входной файл (ничего не отправлено); 3 порт нельзя
открыть или он не принял байты (сервер: недоступен, отклоняет подключение или
управление COM-портом); 4 diff: в устройстве другие значения, чем в файле;
5 не удалось записать результат (устройство было прочитано; прежний файл, если
он был, сохранён). apply: как write; устройство, в котором уже записаны нужные
значения, — успех (0). Линия, всё ещё занятая по истечении --line-wait, — код 3.
</translation>
    </message>
</context>
<context>
    <name>CtlIo</name>
    <message>
        <source>cannot read %1: %2</source>
        <translation>не удалось прочитать %1: %2</translation>
    </message>
    <message>
        <source>%1: longer than %2 bytes; no parameter or EID file is that long</source>
        <translation>%1: длиннее %2 байт; ни один файл параметров или EID не бывает такой длины</translation>
    </message>
    <message>
        <source>cannot write %1: %2</source>
        <translation>не удалось записать %1: %2</translation>
    </message>
    <message>
        <source>cannot write %1: %2; the file that was there is kept</source>
        <translation>не удалось записать %1: %2; прежний файл сохранён</translation>
    </message>
</context>
<context>
    <name>CtlLine</name>
    <message>
        <source>%1: no such port (korvelctl ports lists them)</source>
        <translation>%1: такого порта нет (список портов выводит korvelctl ports)</translation>
    </message>
    <message>
        <source>%1: no permission to open the port; the user must be in the dialout group (sudo usermod -aG dialout $USER, then log in again)</source>
        <translation>%1: нет прав на открытие порта; пользователь должен входить в группу dialout (sudo usermod -aG dialout $USER, затем войти в систему заново)</translation>
    </message>
    <message>
        <source>%1: the port is busy: another program holds it (%2)</source>
        <translation>%1: порт занят: его держит другая программа (%2)</translation>
    </message>
    <message>
        <source>%1: cannot open the port: %2</source>
        <translation>%1: не удалось открыть порт: %2</translation>
    </message>
    <message>
        <source>the port is gone (hung up)</source>
        <translation>порт пропал (связь оборвана)</translation>
    </message>
    <message>
        <source>the port is gone (%1)</source>
        <translation>порт пропал (%1)</translation>
    </message>
</context>
<context>
    <name>DiffCommand</name>
    <message>
        <source>entry %1</source>
        <extracomment>An entry of the EID list.</extracomment>
        <translation>позиция %1</translation>
    </message>
    <message>
        <source>%1: device %2, file %3</source>
        <translation>%1: устройство %2, файл %3</translation>
    </message>
</context>
<context>
    <name>EidListFile</name>
    <message>
        <source>line %1, column %2: the quote is not closed</source>
        <translation>строка %1, столбец %2: кавычка не закрыта</translation>
    </message>
    <message>
        <source>line %1: no column is headed &quot;%2&quot;; the headings are %3</source>
        <translation>строка %1: нет столбца с заголовком &quot;%2&quot;; заголовки: %3</translation>
    </message>
    <message>
        <source>there is no column %1: the file is one column (no comma, semicolon or tab)</source>
        <translation>столбца %1 нет: в файле один столбец (ни запятой, ни точки с запятой, ни табуляции)</translation>
    </message>
    <message>
        <source>no column is headed &quot;EID&quot;; the EIDs are read from column 1, %1</source>
        <translation>нет столбца с заголовком &quot;EID&quot;; EID читаются из столбца 1, %1</translation>
    </message>
    <message>
        <source>line %1, column %2</source>
        <translation>строка %1, столбец %2</translation>
    </message>
    <message>
        <source>line %1</source>
        <translation>строка %1</translation>
    </message>
    <message>
        <source>line %1: more than %2 EIDs; the list holds %2</source>
        <translation>строка %1: больше %2 EID; в списке %2 позиций</translation>
    </message>
    <message>
        <source>%1: the cell is empty; write 0 for an unused entry or -1 for none (blank lines are taken only before the first EID and after the last)</source>
        <translation>%1: ячейка пуста; запишите 0 для неиспользуемой позиции или -1 для позиции без EID (пустые строки допускаются только перед первым EID и после последнего)</translation>
    </message>
    <message>
        <source>%1: the line is blank; write 0 for an unused entry or -1 for none (blank lines are taken only before the first EID and after the last)</source>
        <translation>%1: пусто; запишите 0 для неиспользуемой позиции или -1 для позиции без EID (пустые строки допускаются только перед первым EID и после последнего)</translation>
    </message>
    <message>
        <source>%1: %2 is no EID; an EID is a whole number from 0 to %3, or -1 for none</source>
        <translation>%1: %2 — не EID; EID — целое число от 0 до %3 или -1, если EID нет</translation>
    </message>
    <message>
        <source>%1: EID %2 is outside 0 to %3, -1 for none; --out-of-range writes it as it is</source>
        <translation>%1: EID %2 вне диапазона от 0 до %3 (-1, если EID нет); --out-of-range записывает его как есть</translation>
    </message>
    <message>
        <source>EID %1 is at entry %2 (line %3) and at entry %4 (line %5)</source>
        <translation>EID %1 стоит в позиции %2 (строка %3) и в позиции %4 (строка %5)</translation>
    </message>
    <message>
        <source>holds no EID; to empty the list, give a file holding the one line 0 (the entries a file leaves out are written as 0)</source>
        <translation>в файле нет ни одного EID; чтобы очистить список, дайте файл из одной строки 0 (позиции, которых нет в файле, записываются как 0)</translation>
    </message>
</context>
<context>
    <name>ExchangeFault</name>
    <message>
        <source>wrong count: echo of %1 registers instead of %2</source>
        <translation>неверное количество: регистров в ответе %1 вместо %2</translation>
    </message>
    <message>
        <source>wrong count: byte count %1 instead of %2</source>
        <translation>неверное количество: счётчик байт %1 вместо %2</translation>
    </message>
    <message>
        <source>wrong echo: register %1 instead of %2</source>
        <translation>неверное эхо: регистр %1 вместо %2</translation>
    </message>
    <message>
        <source>sent %1, the device echoed %2; nothing committed</source>
        <translation>отправлено %1, устройство вернуло %2; ничего не зафиксировано</translation>
    </message>
    <message>
        <source>Modbus exception %1</source>
        <translation>исключение Modbus %1</translation>
    </message>
    <message>
        <source>Modbus exception %1 (%2)</source>
        <translation>исключение Modbus %1 (%2)</translation>
    </message>
    <message>
        <source>reading %1 (register %2)</source>
        <translation>чтение %1 (регистр %2)</translation>
    </message>
    <message>
        <source>writing %1 (register %2)</source>
        <translation>запись %1 (регистр %2)</translation>
    </message>
    <message>
        <source>commit with code %1 (register %2)</source>
        <translation>фиксация с кодом %1 (регистр %2)</translation>
    </message>
    <message>
        <source>writing EID block %1 (entries %2 to %3, registers %4 to %5)</source>
        <translation>запись блока EID %1 (позиции с %2 по %3, регистры с %4 по %5)</translation>
    </message>
    <message>
        <source>reading EID block %1 (entries %2 to %3, registers %4 to %5)</source>
        <translation>чтение блока EID %1 (позиции с %2 по %3, регистры с %4 по %5)</translation>
    </message>
    <message>
        <source>the port refused the request</source>
        <translation>порт не принял запрос</translation>
    </message>
    <message>
        <source>no reply within %1 s</source>
        <translation>нет ответа за %1 с</translation>
    </message>
    <message>
        <source>only %1 of %2 bytes within %3 s</source>
        <translation>за %3 с принято байт: %1 из %2</translation>
    </message>
    <message>
        <source>%1 bytes instead of %2</source>
        <translation>байт в ответе: %1 вместо %2</translation>
    </message>
    <message>
        <source>bad CRC</source>
        <translation>неверная контрольная сумма (CRC)</translation>
    </message>
    <message>
        <source>reply from address %1 instead of %2</source>
        <translation>ответ с адреса %1 вместо %2</translation>
    </message>
    <message>
        <source>wrong function: %1 instead of %2</source>
        <translation>неверная функция: %1 вместо %2</translation>
    </message>
    <message>
        <source>wrong echo: code %1 instead of %2</source>
        <translation>неверное эхо: код %1 вместо %2</translation>
    </message>
    <message>
        <source>reply of %1 bytes refused</source>
        <translation>ответ отклонён, байт в нём: %1</translation>
    </message>
</context>
<context>
    <name>FollowingCommand</name>
    <message>
        <source>address %1, %2 Bd</source>
        <extracomment>Where a device answers; it follows &quot;at&quot; (&quot;verified at address 33, 115200 Bd&quot;).</extracomment>
        <translation>адресу %1, %2 бод</translation>
    </message>
    <message numerus="yes">
        <source>%n parameter written and committed</source>
        <translation>
            <numerusform>%n параметр записан и зафиксирован</numerusform>
            <numerusform>%n параметра записаны и зафиксированы</numerusform>
            <numerusform>%n параметров записаны и зафиксированы</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n parameters written and committed</source>
        <translation>
            <numerusform>%n параметр записан и зафиксирован</numerusform>
            <numerusform>%n параметра записаны и зафиксированы</numerusform>
            <numerusform>%n параметров записаны и зафиксированы</numerusform>
        </translation>
    </message>
    <message>
        <source>%1, verified at %2</source>
        <translation>%1, проверено по %2</translation>
    </message>
    <message>
        <source>%1, verified at %2 (the old speed; %3 Bd once the device takes it over at a restart)</source>
        <translation>%1, проверено по %2 (это прежняя скорость; на %3 бод устройство перейдёт при перезапуске)</translation>
    </message>
    <message>
        <source>%1 %2 Bd would take the radio off the server&apos;s speed, %3 Bd, which korvelctl cannot change over %4; nothing was written: write without --verify, set the server to %2 Bd, then read or diff</source>
        <translation>значение %1 %2 бод увело бы радиоустройство со скорости сервера (%3 бод), которую korvelctl не может изменить через %4; ничего не записано: запишите без --verify, переключите сервер на %2 бод, затем выполните read или diff</translation>
    </message>
    <message>
        <source>unknown</source>
        <extracomment>The server&apos;s speed where the radio&apos;s is not known.</extracomment>
        <translation>неизвестно сколько</translation>
    </message>
    <message>
        <source>%1: cannot set the speed %2</source>
        <translation>%1: не удалось установить скорость %2 бод</translation>
    </message>
    <message>
        <source>verify: %1 (register %2) reads %3 after %4 was written</source>
        <translation>проверка: %1 (регистр %2): прочитано %3, хотя записано %4</translation>
    </message>
    <message>
        <source>verify at %1: </source>
        <translation>проверка по %1: </translation>
    </message>
    <message>
        <source>verify: </source>
        <extracomment>The places a verify found no device at: &quot; at address 33, 115200 Bd, nor at address 33, 9600 Bd&quot;.</extracomment>
        <translation>проверка: </translation>
    </message>
    <message>
        <source> at %1</source>
        <translation> по %1</translation>
    </message>
    <message>
        <source>, nor at </source>
        <translation>, ни по </translation>
    </message>
</context>
<context>
    <name>InputText</name>
    <message>
        <source>an odd number of bytes in a %1 file: it ends in half a character</source>
        <translation>нечётное число байт в файле %1: он обрывается на половине символа</translation>
    </message>
    <message>
        <source>line %1: half of a %2 character pair</source>
        <translation>строка %1: половина суррогатной пары %2</translation>
    </message>
    <message>
        <source>line %1: byte 0x%2 is no UTF-8; save the file as UTF-8 or UTF-16</source>
        <translation>строка %1: байт 0x%2 не является UTF-8; сохраните файл в UTF-8 или UTF-16</translation>
    </message>
    <message>
        <source>line %1: a NUL byte; a text file holds none (UTF-16 needs its byte order mark)</source>
        <translation>строка %1: байт NUL; в текстовом файле его не бывает (файлу в UTF-16 нужна метка порядка байтов)</translation>
    </message>
    <message>
        <source>a UTF-32 file; save it as UTF-8 or UTF-16</source>
        <translation>файл в UTF-32; сохраните его в UTF-8 или UTF-16</translation>
    </message>
</context>
<context>
    <name>Korvelctl</name>
    <message>
        <source>write failed</source>
        <translation>запись не удалась</translation>
    </message>
    <message>
        <source>cannot write standard output: %1</source>
        <translation>не удалось записать в стандартный вывод: %1</translation>
    </message>
</context>
<context>
    <name>LineFactory</name>
    <message>
        <source>%1: this korvelctl was built without lines to serial device servers</source>
        <translation>%1: этот korvelctl собран без поддержки серверов последовательных портов</translation>
    </message>
</context>
<context>
    <name>LineLock</name>
    <message>
        <source>after %1 s</source>
        <translation>через %1 с</translation>
    </message>
    <message>
        <source>at once</source>
        <translation>сразу</translation>
    </message>
    <message>
        <source>it keeps appearing and going</source>
        <extracomment>Said of the lock file the runs queue on.</extracomment>
        <translation>он то появляется, то исчезает</translation>
    </message>
    <message>
        <source>another program</source>
        <translation>другая программа</translation>
    </message>
    <message>
        <source>warning: %1: cannot queue for the line (%2: %3); going on without</source>
        <translation>предупреждение: %1: не удалось встать в очередь на линию (%2: %3); работа продолжается без очереди</translation>
    </message>
    <message>
        <source>%1: the line is busy: %2 holds it; gave up %3 (--line-wait)</source>
        <translation>%1: линия занята: её держит %2; ожидание прекращено %3 (--line-wait)</translation>
    </message>
    <message>
        <source>warning: cannot queue for the line (%1); going on without</source>
        <translation>предупреждение: не удалось встать в очередь на линию (%1); работа продолжается без очереди</translation>
    </message>
    <message>
        <source>%1:%2: the line is busy: another korvelctl holds it; gave up %3 (--line-wait)</source>
        <translation>%1:%2: линия занята: её держит другой korvelctl; ожидание прекращено %3 (--line-wait)</translation>
    </message>
</context>
<context>
    <name>LineUrl</name>
    <message>
        <source>give a serial port (ttyUSB0, COM3, /dev/ttyUSB0), tcp://HOST:PORT[?baud=N], rfc2217://HOST:PORT or modbus-tcp://HOST[:PORT] (an IPv6 address in brackets: tcp://[::1]:4001)</source>
        <translation>укажите последовательный порт (ttyUSB0, COM3, /dev/ttyUSB0), tcp://HOST:PORT[?baud=N], rfc2217://HOST:PORT или modbus-tcp://HOST[:PORT] (адрес IPv6 — в квадратных скобках: tcp://[::1]:4001)</translation>
    </message>
    <message>
        <source>no host</source>
        <translation>не указан хост</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is no IPv6 address</source>
        <translation>&apos;%1&apos; — не адрес IPv6</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is no host name or address</source>
        <translation>&apos;%1&apos; — не имя хоста и не адрес</translation>
    </message>
    <message>
        <source>tcp:// takes baud=N once</source>
        <translation>tcp:// принимает baud=N только один раз</translation>
    </message>
    <message>
        <source>%1:// takes none (--baud sets the speed where a line can change it)</source>
        <translation>%1:// не принимает параметров (скорость задаёт --baud, если линия может её менять)</translation>
    </message>
    <message>
        <source>&apos;%1&apos; is no query of this line; %2</source>
        <translation>&apos;%1&apos; — не параметр этой линии; %2</translation>
    </message>
    <message>
        <source>&apos;baud=%1&apos; is not baud=N with N %2 or %3</source>
        <translation>&apos;baud=%1&apos; — не baud=N, где N — %2 или %3</translation>
    </message>
    <message>
        <source>unknown scheme &apos;%1&apos;</source>
        <translation>неизвестная схема &apos;%1&apos;</translation>
    </message>
    <message>
        <source>the port must be a number from 1 to 65535</source>
        <translation>номер порта должен быть числом от 1 до 65535</translation>
    </message>
    <message>
        <source>not a URL (%1)</source>
        <translation>это не URL (%1)</translation>
    </message>
    <message>
        <source>a line takes no user, path or fragment</source>
        <translation>у линии не бывает пользователя, пути или фрагмента</translation>
    </message>
    <message>
        <source>no port number</source>
        <translation>не указан номер порта</translation>
    </message>
    <message>
        <source>the port must be a number from 1 to 65535, not %1</source>
        <translation>номер порта должен быть числом от 1 до 65535, а не %1</translation>
    </message>
</context>
<context>
    <name>Mbap</name>
    <message>
        <source>a Modbus TCP header giving a length of %1, not %2 to %3</source>
        <translation>заголовок Modbus TCP указывает длину %1, а не от %2 до %3</translation>
    </message>
    <message>
        <source>a Modbus TCP reply with protocol identifier %1, not 0</source>
        <translation>ответ Modbus TCP с идентификатором протокола %1, а не 0</translation>
    </message>
    <message>
        <source>a Modbus TCP reply from unit %1 instead of %2</source>
        <translation>ответ Modbus TCP от устройства (unit) %1 вместо %2</translation>
    </message>
</context>
<context>
    <name>ModbusRtu</name>
    <message>
        <source>illegal function</source>
        <translation>недопустимая функция</translation>
    </message>
    <message>
        <source>illegal data address</source>
        <translation>недопустимый адрес данных</translation>
    </message>
    <message>
        <source>illegal data value</source>
        <translation>недопустимое значение данных</translation>
    </message>
    <message>
        <source>server device failure</source>
        <translation>отказ устройства</translation>
    </message>
    <message>
        <source>acknowledge</source>
        <translation>запрос принят, выполняется</translation>
    </message>
    <message>
        <source>server device busy</source>
        <translation>устройство занято</translation>
    </message>
    <message>
        <source>memory parity error</source>
        <translation>ошибка чётности памяти</translation>
    </message>
    <message>
        <source>the gateway has no path to that unit</source>
        <translation>у шлюза нет пути к этому устройству</translation>
    </message>
    <message>
        <source>the gateway&apos;s target did not answer</source>
        <translation>устройство за шлюзом не ответило</translation>
    </message>
</context>
<context>
    <name>ModbusTcpLine</name>
    <message>
        <source>the gateway&apos;s frame holds %1 of the %2 bytes its header gives</source>
        <translation>кадр шлюза неполон (байт: %1 из %2, указанных в его заголовке)</translation>
    </message>
</context>
<context>
    <name>PortStatus</name>
    <message>
        <source>free</source>
        <extracomment>A serial port&apos;s state in the list of korvelctl ports.</extracomment>
        <translation>свободен</translation>
    </message>
    <message>
        <source>busy</source>
        <extracomment>A serial port&apos;s state in the list of korvelctl ports.</extracomment>
        <translation>занят</translation>
    </message>
    <message>
        <source>no access</source>
        <extracomment>A serial port&apos;s state in the list of korvelctl ports.</extracomment>
        <translation>нет доступа</translation>
    </message>
</context>
<context>
    <name>PortsCommand</name>
    <message>
        <source>PORT</source>
        <extracomment>A heading of the table korvelctl ports prints.</extracomment>
        <translation>ПОРТ</translation>
    </message>
    <message>
        <source>STATE</source>
        <extracomment>A heading of the table korvelctl ports prints.</extracomment>
        <translation>СОСТОЯНИЕ</translation>
    </message>
    <message>
        <source>DESCRIPTION</source>
        <extracomment>A heading of the table korvelctl ports prints.</extracomment>
        <translation>ОПИСАНИЕ</translation>
    </message>
    <message>
        <source>MANUFACTURER</source>
        <extracomment>A heading of the table korvelctl ports prints.</extracomment>
        <translation>ПРОИЗВОДИТЕЛЬ</translation>
    </message>
    <message>
        <source>SERIAL</source>
        <extracomment>A heading of the table korvelctl ports prints.</extracomment>
        <translation>СЕРИЙНЫЙ НОМЕР</translation>
    </message>
    <message>
        <source>no serial ports found</source>
        <translation>последовательные порты не найдены</translation>
    </message>
</context>
<context>
    <name>ProbeCommand</name>
    <message>
        <source>%1: cannot set the speed %2</source>
        <translation>%1: не удалось установить скорость %2 бод</translation>
    </message>
    <message>
        <source>%1 Bd, RS-485 address %2</source>
        <translation>%1 бод, адрес RS-485 %2</translation>
    </message>
    <message>
        <source>no device answered a read of %1 (register %2) at %3 Bd</source>
        <translation>ни одно устройство не ответило на чтение %1 (регистр %2) на скоростях %3 бод</translation>
    </message>
</context>
<context>
    <name>Rfc2217</name>
    <message>
        <source>%1 Bd</source>
        <translation>%1 бод</translation>
    </message>
    <message>
        <source>%1 data bits</source>
        <translation>биты данных: %1</translation>
    </message>
    <message>
        <source>as it was</source>
        <translation>без изменений</translation>
    </message>
    <message>
        <source>none</source>
        <translation>нет</translation>
    </message>
    <message>
        <source>odd</source>
        <translation>нечётная</translation>
    </message>
    <message>
        <source>even</source>
        <translation>чётная</translation>
    </message>
    <message>
        <source>mark</source>
        <translation>всегда 1</translation>
    </message>
    <message>
        <source>space</source>
        <translation>всегда 0</translation>
    </message>
    <message>
        <source>unknown</source>
        <translation>неизвестная</translation>
    </message>
    <message>
        <source>parity %1 (%2)</source>
        <translation>чётность %1 (%2)</translation>
    </message>
    <message>
        <source>stop size %1</source>
        <translation>стоп-биты: код %1</translation>
    </message>
    <message>
        <source>flow control %1</source>
        <translation>управление потоком: код %1</translation>
    </message>
    <message>
        <source>command %1: %2</source>
        <translation>команда %1: %2</translation>
    </message>
</context>
<context>
    <name>Rfc2217Line</name>
    <message>
        <source>the server refuses COM port control (RFC 2217); for a raw server use tcp://</source>
        <translation>сервер не даёт управлять COM-портом (RFC 2217); для простого (raw) сервера используйте tcp://</translation>
    </message>
    <message>
        <source>the server refuses 8-bit data (Telnet BINARY), which would change the frames&apos; CR and 0xFF bytes; set it to binary or use tcp://</source>
        <translation>сервер отказывается передавать 8-битные данные (Telnet BINARY), без них байты CR и 0xFF в кадрах искажаются; включите на сервере режим binary или используйте tcp://</translation>
    </message>
    <message>
        <source>the server did not agree to COM port control within %1 s</source>
        <translation>сервер не согласился на управление COM-портом за %1 с</translation>
    </message>
    <message>
        <source>the server withdrew COM port control (RFC 2217)</source>
        <translation>сервер отозвал управление COM-портом (RFC 2217)</translation>
    </message>
    <message>
        <source>the server did not take the line settings (RFC 2217) within %1 s</source>
        <translation>сервер не принял настройки линии (RFC 2217) за %1 с</translation>
    </message>
    <message>
        <source>the server set %1, not %2</source>
        <translation>сервер установил %1 вместо %2</translation>
    </message>
    <message>
        <source>%1: the server withdrew COM port control (RFC 2217)</source>
        <translation>%1: сервер отозвал управление COM-портом (RFC 2217)</translation>
    </message>
</context>
<context>
    <name>ScanCommand</name>
    <message>
        <source>address %1: fault on the bus: %2</source>
        <translation>адрес %1: неисправность шины: %2</translation>
    </message>
    <message>
        <source>replied after the wait of %1 ms</source>
        <translation>ответ пришёл после окончания ожидания (%1 мс)</translation>
    </message>
    <message>
        <source>no device answered a read of %1 (register %2) at addresses %3 to %4</source>
        <translation>ни одно устройство не ответило на чтение %1 (регистр %2) по адресам от %3 до %4</translation>
    </message>
</context>
<context>
    <name>StreamLine</name>
    <message>
        <source>the line did not fall silent within %1 s: something on it sends without pause</source>
        <translation>линия не затихла за %1 с: кто-то на ней передаёт без пауз</translation>
    </message>
    <message>
        <source>the port took only %1 of %2 bytes</source>
        <translation>порт принял не весь запрос (байт: %1 из %2)</translation>
    </message>
</context>
<context>
    <name>TcpLine</name>
    <message>
        <source>%1 closed the connection</source>
        <translation>%1: сервер закрыл соединение</translation>
    </message>
    <message>
        <source>%1: cannot connect: %2</source>
        <translation>%1: не удалось подключиться: %2</translation>
    </message>
    <message>
        <source>the connection took only %1 of %2 bytes</source>
        <translation>соединение приняло не весь запрос (байт: %1 из %2)</translation>
    </message>
</context>
<context>
    <name>WriteEidsCommand</name>
    <message>
        <source>; the device may have taken the list (--verify reads it back)</source>
        <translation>; устройство могло принять список (--verify считает его обратно)</translation>
    </message>
    <message>
        <source>reading the list back</source>
        <translation>список считывается обратно</translation>
    </message>
    <message>
        <source>verify: </source>
        <translation>проверка: </translation>
    </message>
    <message numerus="yes">
        <source>verify: %n of %1 EIDs differ; entry %2 reads %3, the file says %4</source>
        <translation>
            <numerusform>проверка: различается %n EID из %1; позиция %2: в устройстве %3, в файле %4</numerusform>
            <numerusform>проверка: различаются %n EID из %1; позиция %2: в устройстве %3, в файле %4</numerusform>
            <numerusform>проверка: различаются %n EID из %1; позиция %2: в устройстве %3, в файле %4</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n EIDs written and committed, verified</source>
        <translation>
            <numerusform>%n EID записан и зафиксирован, проверено</numerusform>
            <numerusform>%n EID записаны и зафиксированы, проверено</numerusform>
            <numerusform>%n EID записаны и зафиксированы, проверено</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n EIDs written and committed</source>
        <translation>
            <numerusform>%n EID записан и зафиксирован</numerusform>
            <numerusform>%n EID записаны и зафиксированы</numerusform>
            <numerusform>%n EID записаны и зафиксированы</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>WriteParamsCommand</name>
    <message>
        <source>; the device may have taken the change (--verify reads it back)</source>
        <translation>; устройство могло принять изменение (--verify считает его обратно)</translation>
    </message>
    <message>
        <source>reading the values back</source>
        <translation>значения считываются обратно</translation>
    </message>
    <message>
        <source>%1; the radio answers at %2 once it takes the change over: set %3 to %4 Bd before the radio can be reached again</source>
        <translation>%1; радиоустройство будет отвечать по %2, когда примет изменение: чтобы снова обратиться к нему, переключите %3 на %4 бод</translation>
    </message>
    <message>
        <source>%1, verified</source>
        <translation>%1, проверено</translation>
    </message>
    <message>
        <source>%1; the device answers at %2 once it takes the change over</source>
        <translation>%1; устройство будет отвечать по %2, когда примет изменение</translation>
    </message>
</context>
</TS>
