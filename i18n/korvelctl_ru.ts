<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="ru_RU">
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
</TS>
