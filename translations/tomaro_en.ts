<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="ru_RU">
<context>
    <name>tomaro::CDlgBaraSelect</name>
    <message>
        <source>Состав барабанной установки</source>
        <translation>Drums of the kit</translation>
    </message>
    <message>
        <source>Диаметр барабана</source>
        <translation>Drum diameter</translation>
    </message>
    <message>
        <source>10&quot; + 12&quot; + 16&quot; + бочка</source>
        <translation>10&quot; + 12&quot; + 16&quot; + kick</translation>
    </message>
    <message>
        <source>Бочка любого размера; её размер задаётся в окне «Интервалы и план»</source>
        <translation>A kick of any size; its size is set in the “Intervals and plan” window</translation>
    </message>
    <message>
        <source>Малый барабан любого размера; его размер задаётся в окне «Интервалы и план»</source>
        <translation>A snare of any size; its size is set in the “Intervals and plan” window</translation>
    </message>
    <message>
        <source>Том %1</source>
        <translation>Tom %1</translation>
    </message>
</context>
<context>
    <name>tomaro::CDlgPresets</name>
    <message>
        <source>Выбор опорного барабана, при изменении частоты которого автоматически изменяются частоты остальных с сохранением интервалов. Также можно смотреть интервалы от каждого барабана до опорного</source>
        <translation>The base drum: when its frequency changes, the frequencies of the others change with it and keep their intervals. The intervals from every drum to the base drum can also be shown</translation>
    </message>
    <message>
        <source>Интервал в полутонах: либо от &apos;опорного&apos; барабана, либо от предыдущего</source>
        <translation>Interval in semitones: either from the &apos;base&apos; drum or from the previous one</translation>
    </message>
    <message>
        <source>Отображать данный барабан на спектре и использовать его для поиска опорной частоты (как ближайшей из выбранных к измеренной)</source>
        <translation>Show this drum on the spectrum and use it in the search for the reference frequency (as the nearest of the chosen ones to the measured one)</translation>
    </message>
    <message>
        <source>Коэффициент для перехода от основной частоты к частоте обертона ударного (top) пластика (0.5..10), либо соответствующая частота в Гц (20..20000)</source>
        <translation>Coefficient from the fundamental to the overtone of the batter (top) head (0.5..10), or that frequency in Hz (20..20000)</translation>
    </message>
    <message>
        <source>Коэффициент для перехода от основной частоты к частоте обертона резонансного (bottom) пластика (0.5..10), либо соответствующая частота в Гц (20..20000)</source>
        <translation>Coefficient from the fundamental to the overtone of the resonant (bottom) head (0.5..10), or that frequency in Hz (20..20000)</translation>
    </message>
    <message>
        <source>Выбор вариантов частот обертонов для различных типов настройки барабана</source>
        <translation>Choose overtone frequencies for different ways of tuning the drum</translation>
    </message>
    <message>
        <source>Указать, какие барабаны присутствуют в ударной установке</source>
        <translation>Choose which drums the kit has</translation>
    </message>
    <message>
        <source>Вы можете указать произвольную эталонную частоту</source>
        <translation>You can set a reference frequency of your own</translation>
    </message>
    <message>
        <source>Выбирите файл для сохранения настроек барабанов</source>
        <translation>Choose a file to save the drum settings to</translation>
    </message>
    <message>
        <source>Выбирите файл c настройками барабаной установки</source>
        <translation>Choose a file with the settings of a drum kit</translation>
    </message>
    <message>
        <source>Tomaro эталонные частоты для настройки</source>
        <translation>Tomaro reference frequencies for tuning</translation>
    </message>
    <message>
        <source>Опорный
барабан</source>
        <translation>Base
drum</translation>
    </message>
    <message>
        <source>Нота</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>Частота,
Гц</source>
        <translation>Frequency,
Hz</translation>
    </message>
    <message>
        <source>На
спектре</source>
        <translation>On the
spectrum</translation>
    </message>
    <message>
        <source>Обертон
ударного пластика</source>
        <translation>Overtone of the
batter head</translation>
    </message>
    <message>
        <source>Обертон
резонансного пластика</source>
        <translation>Overtone of the
resonant head</translation>
    </message>
    <message>
        <source>Латинские обозначения нот и октав</source>
        <translation>Latin note and octave names</translation>
    </message>
    <message>
        <source>Показывать интервалы между соседними барабанами (иначе от опорного)</source>
        <translation>Show the intervals between neighbouring drums (otherwise from the base drum)</translation>
    </message>
    <message>
        <source>Задать эталонную частоту, Гц</source>
        <translation>Set a reference frequency, Hz</translation>
    </message>
    <message>
        <source>± полутон</source>
        <translation>± semitone</translation>
    </message>
    <message>
        <source>Выбор барабанов в установке...</source>
        <translation>Drums of the kit...</translation>
    </message>
    <message>
        <source>Сохранить настройки...</source>
        <translation>Save settings...</translation>
    </message>
    <message>
        <source>Загрузить настройки...</source>
        <translation>Load settings...</translation>
    </message>
    <message>
        <source>Tomaro - файлы (*.TKit)</source>
        <translation>Tomaro files (*.TKit)</translation>
    </message>
    <message>
        <source>Все файлы (*.*)</source>
        <translation>All files (*.*)</translation>
    </message>
    <message>
        <source>Мои барабаны Tomaro.TKit</source>
        <translation>My Tomaro drums.TKit</translation>
    </message>
</context>
<context>
    <name>tomaro::CMainDlg</name>
    <message>
        <source>Нет (не слушать)</source>
        <translation>None (do not listen)</translation>
    </message>
    <message>
        <source>О программе...</source>
        <translation>About...</translation>
    </message>
    <message>
        <source>Вход</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>Устройство:</source>
        <translation>Device:</translation>
    </message>
    <message>
        <source>Удар начинается с отсчёта, модуль которого больше порога (0..32768)</source>
        <translation>A strike begins at the first sample whose magnitude is above the threshold (0..32768)</translation>
    </message>
    <message>
        <source>Порог:</source>
        <translation>Threshold:</translation>
    </message>
    <message>
        <source>Уровень:</source>
        <translation>Level:</translation>
    </message>
    <message>
        <source>Открыть WAV...</source>
        <translation>Open WAV...</translation>
    </message>
    <message>
        <source>Импорт звука...</source>
        <translation>Import sound...</translation>
    </message>
    <message>
        <source>▶ Прослушать</source>
        <translation>▶ Listen</translation>
    </message>
    <message>
        <source>■ Стоп</source>
        <translation>■ Stop</translation>
    </message>
    <message>
        <source>Анализ</source>
        <translation>Analysis</translation>
    </message>
    <message>
        <source>П - образное</source>
        <translation>Rectangular</translation>
    </message>
    <message>
        <source>Гаусс 1/e</source>
        <translation>Gauss 1/e</translation>
    </message>
    <message>
        <source>Гаусс 1/e^3</source>
        <translation>Gauss 1/e^3</translation>
    </message>
    <message>
        <source>Окно:</source>
        <translation>Window:</translation>
    </message>
    <message>
        <source>Задержка от фронта:</source>
        <translation>Delay from the front:</translation>
    </message>
    <message>
        <source>Длина области анализа</source>
        <translation>Length of the analysed stretch</translation>
    </message>
    <message>
        <source>Гц</source>
        <translation>Hz</translation>
    </message>
    <message>
        <source>Поиск:</source>
        <translation>Search:</translation>
    </message>
    <message>
        <source>Учёт затухания</source>
        <translation>Account for the decay</translation>
    </message>
    <message>
        <source>Настройки анализа по умолчанию</source>
        <translation>Default analysis settings</translation>
    </message>
    <message>
        <source>Эталоны</source>
        <translation>References</translation>
    </message>
    <message>
        <source>Основной тон</source>
        <translation>Fundamental</translation>
    </message>
    <message>
        <source>Ударный</source>
        <translation>Batter</translation>
    </message>
    <message>
        <source>Резонансный</source>
        <translation>Resonant</translation>
    </message>
    <message>
        <source>Обертон показывать как есть</source>
        <translation>Show an overtone as it is</translation>
    </message>
    <message>
        <source>Обертон пересчитывать в основной тон</source>
        <translation>Convert an overtone to the fundamental</translation>
    </message>
    <message>
        <source>Если удар ближе всего к эталону обертона, показать частоту основного тона барабана</source>
        <translation>If a strike is nearest to an overtone reference, show the drum&apos;s fundamental frequency</translation>
    </message>
    <message>
        <source>Ноту крупно</source>
        <translation>Large note</translation>
    </message>
    <message>
        <source>wave ошибка</source>
        <translation>wave error</translation>
    </message>
    <message>
        <source>Выбирите файл</source>
        <translation>Choose a file</translation>
    </message>
    <message>
        <source>WAV - файлы (*.wav);;Все файлы (*.*)</source>
        <translation>WAV files (*.wav);;All files (*.*)</translation>
    </message>
    <message>
        <source>Tomaro 1.6 — тюнер для акустических барабанов.

Ударьте по барабану перед микрофоном: Tomaro запишет удар, найдёт частоту основного тона, назовёт ноту и сравнит её с эталонами вашей установки. Удар можно также открыть из WAV-файла.</source>
        <translation>Tomaro 1.6 — a tuner for acoustic drums.

Strike a drum in front of the microphone: Tomaro records the strike, finds the frequency of its main tone, names the note and compares it with the references of your kit. A strike can also be opened from a WAV file.</translation>
    </message>
    <message>
        <source>О программе Tomaro</source>
        <translation>About Tomaro</translation>
    </message>
    <message>
        <source>Настраиваю:</source>
        <translation>Tuning:</translation>
    </message>
    <message>
        <source>Настройка...</source>
        <translation>Tuning...</translation>
    </message>
</context>
<context>
    <name>tomaro::DrumChoice</name>
    <message>
        <source>ближайший эталон</source>
        <translation>nearest reference</translation>
    </message>
</context>
<context>
    <name>tomaro::HistoryBar</name>
    <message>
        <source>Снимки...</source>
        <translation>Snapshots...</translation>
    </message>
    <message>
        <source>Снимки настройки: запомнить, сравнить и вернуть настройку комплекта</source>
        <translation>Tuning snapshots: keep, compare and bring back the tuning of the kit</translation>
    </message>
    <message>
        <source>Завершить возврат</source>
        <translation>End the recall</translation>
    </message>
    <message>
        <source>Возврат к снимку «%1» от %2</source>
        <translation>Back to snapshot “%1” of %2</translation>
    </message>
</context>
<context>
    <name>tomaro::ImportCommand</name>
    <message>
        <source>Звуковые файлы (%1);;Все файлы (*.*)</source>
        <translation>Sound files (%1);;All files (*.*)</translation>
    </message>
    <message>
        <source>Выберите звуковой файл</source>
        <translation>Choose a sound file</translation>
    </message>
    <message>
        <source>Импортирую звук...</source>
        <translation>Importing the sound...</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>tomaro::KitPlanWindow</name>
    <message>
        <source> Гц</source>
        <translation> Hz</translation>
    </message>
    <message>
        <source>Интервалы и план</source>
        <translation>Intervals and plan</translation>
    </message>
    <message>
        <source>Установка</source>
        <translation>Kit</translation>
    </message>
    <message>
        <source>План</source>
        <translation>Plan</translation>
    </message>
    <message>
        <source>Схема:</source>
        <translation>Scheme:</translation>
    </message>
    <message>
        <source>кварты</source>
        <translation>fourths</translation>
    </message>
    <message>
        <source>большие терции</source>
        <translation>major thirds</translation>
    </message>
    <message>
        <source>малые терции</source>
        <translation>minor thirds</translation>
    </message>
    <message>
        <source>свои шаги</source>
        <translation>own steps</translation>
    </message>
    <message>
        <source>Шаги в полутонах через запятую; последний повторяется</source>
        <translation>Steps in semitones separated by commas; the last one repeats</translation>
    </message>
    <message>
        <source>От ноты:</source>
        <translation>From note:</translation>
    </message>
    <message>
        <source>Нота (A2, C#3) или частота в Гц</source>
        <translation>A note (A2, C#3) or a frequency in Hz</translation>
    </message>
    <message>
        <source>от верхнего тома</source>
        <translation>from the top tom</translation>
    </message>
    <message>
        <source>с малым</source>
        <translation>with the snare</translation>
    </message>
    <message>
        <source>с бочкой</source>
        <translation>with the kick</translation>
    </message>
    <message>
        <source>Записать в эталоны</source>
        <translation>Write to the references</translation>
    </message>
    <message>
        <source>Отменить запись</source>
        <translation>Undo writing</translation>
    </message>
    <message>
        <source>Барабан</source>
        <translation>Drum</translation>
    </message>
    <message>
        <source>Основной тон</source>
        <translation>Fundamental</translation>
    </message>
    <message>
        <source>Эталон</source>
        <translation>Reference</translation>
    </message>
    <message>
        <source>Интервал к соседу: измерен / по плану</source>
        <translation>Interval to the neighbour: measured / planned</translation>
    </message>
    <message>
        <source>Отклонение</source>
        <translation>Deviation</translation>
    </message>
    <message>
        <source>нет удара</source>
        <translation>no strike</translation>
    </message>
    <message>
        <source>—</source>
        <translation>—</translation>
    </message>
    <message>
        <source>Нота</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>Частота</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>Обычный диапазон</source>
        <translation>Usual range</translation>
    </message>
    <message>
        <source>Шаги: целые числа полутонов 1..24 через запятую, и нота как A2, C#3 или частота в Гц</source>
        <translation>Steps: whole semitones 1..24 separated by commas, and a note such as A2, C#3 or a frequency in Hz</translation>
    </message>
    <message>
        <source>Нота: как A2, C#3 или частота в Гц</source>
        <translation>Note: such as A2, C#3 or a frequency in Hz</translation>
    </message>
    <message>
        <source> — без изменений</source>
        <translation> — unchanged</translation>
    </message>
    <message>
        <source>%1–%2 Гц%3</source>
        <translation>%1–%2 Hz%3</translation>
    </message>
    <message>
        <source> — вне диапазона</source>
        <translation> — out of range</translation>
    </message>
    <message>
        <source>Внимание: есть ноты вне обычного диапазона своего размера</source>
        <translation>Warning: some notes lie outside the usual range of their size</translation>
    </message>
    <message>
        <source>Все ноты в обычном диапазоне своих размеров</source>
        <translation>All notes lie in the usual range of their sizes</translation>
    </message>
    <message>
        <source> — по схеме нота вне возможных для барабана</source>
        <translation> — the scheme takes it beyond the notes a drum can have</translation>
    </message>
    <message>
        <source>План не записывается: от этой ноты схема уводит %1 за пределы нот, которые может иметь барабан (%2–%3). Выберите другую начальную ноту.</source>
        <translation>The plan cannot be written: from this note the scheme takes %1 beyond the notes a drum can have (%2–%3). Choose another start note.</translation>
    </message>
    <message>
        <source>Размер малого:</source>
        <translation>Snare size:</translation>
    </message>
    <message>
        <source>Размер бочки:</source>
        <translation>Kick size:</translation>
    </message>
</context>
<context>
    <name>tomaro::LanguageChoice</name>
    <message>
        <source>Язык / Language:</source>
        <translation>Language:</translation>
    </message>
</context>
<context>
    <name>tomaro::LevelMeter</name>
    <message>
        <source>Уровень входа: сверху левый канал, снизу правый</source>
        <translation>Input level: the left channel above, the right one below</translation>
    </message>
    <message>
        <source>Перегрузка</source>
        <translation>Clipping</translation>
    </message>
</context>
<context>
    <name>tomaro::LugDiagram</name>
    <message>
        <source>ок</source>
        <translation>ok</translation>
    </message>
</context>
<context>
    <name>tomaro::NoteWindow</name>
    <message>
        <source>Tomaro — нота крупно</source>
        <translation>Tomaro — large note</translation>
    </message>
</context>
<context>
    <name>tomaro::PitchTrackView</name>
    <message>
        <source>Частота тона по коротким отрезкам (40 мс через 10 мс) от фронта удара: жёлтым — область анализа, зелёная линия — измеренная частота, пунктир — медиана серии</source>
        <translation>Pitch over short pieces (40 ms every 10 ms) from the strike front: yellow is the analysed stretch, the green line the measured frequency, the dashed line the median of the series</translation>
    </message>
    <message>
        <source>Высота тона во времени · центы от %1 Гц</source>
        <translation>Pitch over time · cents from %1 Hz</translation>
    </message>
    <message>
        <source>Высота тона во времени</source>
        <translation>Pitch over time</translation>
    </message>
    <message>
        <source>Нет тона</source>
        <translation>No tone</translation>
    </message>
</context>
<context>
    <name>tomaro::PortAudio</name>
    <message>
        <source>открытие устройства</source>
        <translation>opening the device</translation>
    </message>
    <message>
        <source> ОШИБКА: 
</source>
        <translation> ERROR: 
</translation>
    </message>
</context>
<context>
    <name>tomaro::PortSelector</name>
    <message>
        <source>Порт</source>
        <translation>Port</translation>
    </message>
    <message>
        <source>Не выбран</source>
        <translation>None</translation>
    </message>
    <message>
        <source>ОШИБКА</source>
        <translation>ERROR</translation>
    </message>
</context>
<context>
    <name>tomaro::QtProfile</name>
    <message>
        <source>Файл настроек прочитан не полностью:
%1
Его копия сохранена как
%2
Непрочитанные настройки взяты по умолчанию.</source>
        <translation>The settings file was not read completely:
%1
A copy of it was saved as
%2
The settings that could not be read have their defaults.</translation>
    </message>
    <message>
        <source>Файл настроек прочитан не полностью:
%1
Сохранить его копию не удалось, поэтому изменения настроек в него записываться не будут.</source>
        <translation>The settings file was not read completely:
%1
A copy of it could not be saved, so changes of the settings will not be written to it.</translation>
    </message>
    <message>
        <source>Файл настроек не прочитан: это не обычный файл, он больше 1 МБ или закрыт для чтения:
%1
Настройки взяты по умолчанию, их изменения не сохранятся.</source>
        <translation>The settings file was not read: it is not a regular file, it is larger than 1 MB or it cannot be read:
%1
The settings have their defaults, and changes to them will not be saved.</translation>
    </message>
    <message>
        <source>Настройки не могут быть сохранены: файл
%1
или его папка закрыты для записи. Изменения действуют до выхода из программы.</source>
        <translation>The settings cannot be saved: the file
%1
or its folder cannot be written. Changes last until the program is closed.</translation>
    </message>
</context>
<context>
    <name>tomaro::ReadoutPanel</name>
    <message>
        <source>Результат</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>— Гц</source>
        <translation>— Hz</translation>
    </message>
    <message>
        <source>нет тона</source>
        <translation>no tone</translation>
    </message>
</context>
<context>
    <name>tomaro::SerialPort</name>
    <message>
        <source>Не могу открыть выбранный порт</source>
        <translation>Cannot open the chosen port</translation>
    </message>
    <message>
        <source>Не могу установить тайм-ауты для выбранного порта</source>
        <translation>Cannot set the timeouts of the chosen port</translation>
    </message>
    <message>
        <source>Не могу установить для порта требуемый режим (скорость %d  бод) !</source>
        <translation>Cannot set the required mode of the port (%d baud)!</translation>
    </message>
</context>
<context>
    <name>tomaro::SeriesLine</name>
    <message>
        <source>Новая серия</source>
        <translation>New series</translation>
    </message>
    <message>
        <source>Начать серию ударов заново (например, после подтяжки)</source>
        <translation>Start the series of strikes again (for example, after turning a rod)</translation>
    </message>
</context>
<context>
    <name>tomaro::SignalOverview</name>
    <message>
        <source>Щелчок ставит середину области анализа</source>
        <translation>A click places the middle of the analysed stretch</translation>
    </message>
    <message>
        <source>Сигнал · время от фронта, с</source>
        <translation>Signal · time from the front, s</translation>
    </message>
    <message>
        <source>Идёт запись удара…</source>
        <translation>Recording the strike…</translation>
    </message>
    <message>
        <source>Нет сигнала</source>
        <translation>No signal</translation>
    </message>
</context>
<context>
    <name>tomaro::SnapshotsWindow</name>
    <message>
        <source>Снимки настройки</source>
        <translation>Tuning snapshots</translation>
    </message>
    <message>
        <source>Снимок настройки</source>
        <translation>Take a snapshot</translation>
    </message>
    <message>
        <source>Переименовать...</source>
        <translation>Rename...</translation>
    </message>
    <message>
        <source>Удалить</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Сравнить</source>
        <translation>Compare</translation>
    </message>
    <message>
        <source>CSV...</source>
        <translation>CSV...</translation>
    </message>
    <message>
        <source>JSON...</source>
        <translation>JSON...</translation>
    </message>
    <message>
        <source>Вернуть эту настройку</source>
        <translation>Bring this tuning back</translation>
    </message>
    <message>
        <source>Настраивать каждый барабан к его частоте в снимке, а пластики по винтам — к их средней частоте в снимке</source>
        <translation>Tune each drum to its frequency in the snapshot, and heads lug by lug to their mean frequency in the snapshot</translation>
    </message>
    <message>
        <source>Завершить возврат</source>
        <translation>End the recall</translation>
    </message>
    <message>
        <source>Название</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Дата</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Барабаны</source>
        <translation>Drums</translation>
    </message>
    <message>
        <source>Барабан</source>
        <translation>Drum</translation>
    </message>
    <message>
        <source>Пластик</source>
        <translation>Head</translation>
    </message>
    <message>
        <source>Винт</source>
        <translation>Rod</translation>
    </message>
    <message>
        <source>Было, Гц</source>
        <translation>Then, Hz</translation>
    </message>
    <message>
        <source>Стало, Гц</source>
        <translation>Now, Hz</translation>
    </message>
    <message>
        <source>Отклонение, ¢</source>
        <translation>Deviation, ¢</translation>
    </message>
    <message>
        <source>«%1» от %2</source>
        <translation>“%1” of %2</translation>
    </message>
    <message>
        <source>настройка сейчас</source>
        <translation>the tuning now</translation>
    </message>
    <message>
        <source>Снимок «%1» от %2 → %3</source>
        <translation>Snapshot “%1” of %2 → %3</translation>
    </message>
    <message>
        <source>Уход настройки с %1 (снимок «%2»), в центах</source>
        <translation>Drift of the tuning since %1 (snapshot “%2”), in cents</translation>
    </message>
    <message>
        <source>Выберите два снимка и нажмите «Сравнить», или один — чтобы сравнить его с настройкой сейчас.</source>
        <translation>Select two snapshots and press “Compare”, or one to compare it with the tuning now.</translation>
    </message>
    <message>
        <source>История настройки недоступна: %1</source>
        <translation>The tuning history is not available: %1</translation>
    </message>
    <message>
        <source>весь барабан</source>
        <translation>whole drum</translation>
    </message>
    <message>
        <source>ударный</source>
        <translation>batter</translation>
    </message>
    <message>
        <source>резонансный</source>
        <translation>resonant</translation>
    </message>
    <message>
        <source>центр</source>
        <translation>centre</translation>
    </message>
    <message>
        <source>Название снимка:</source>
        <translation>Snapshot name:</translation>
    </message>
    <message>
        <source>Снимок не сделан: в истории ещё нет ни одного удара по барабанам комплекта.</source>
        <translation>No snapshot taken: the history holds no strike on a drum of the kit yet.</translation>
    </message>
    <message>
        <source>Переименовать снимок</source>
        <translation>Rename the snapshot</translation>
    </message>
    <message>
        <source>Удалить выбранные снимки (%1)?</source>
        <translation>Delete the selected snapshots (%1)?</translation>
    </message>
    <message>
        <source>Экспорт снимка в JSON</source>
        <translation>Export the snapshot as JSON</translation>
    </message>
    <message>
        <source>Экспорт снимка в CSV</source>
        <translation>Export the snapshot as CSV</translation>
    </message>
    <message>
        <source>JSON - файлы (*.json)</source>
        <translation>JSON files (*.json)</translation>
    </message>
    <message>
        <source>CSV - файлы (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>Не удалось записать файл %1</source>
        <translation>Cannot write the file %1</translation>
    </message>
    <message>
        <source>включить удары из файлов</source>
        <translation>include strikes from files</translation>
    </message>
    <message>
        <source>Удары из открытых WAV - файлов не считаются настройкой барабанов, пока вы их не включите</source>
        <translation>Strikes from opened WAV files do not count as the drums&apos; tuning unless you include them</translation>
    </message>
    <message>
        <source>не измерен</source>
        <translation>not measured</translation>
    </message>
    <message>
        <source>Снимок не сделан: в истории есть только удары из файлов. Чтобы включить их в снимок, отметьте «включить удары из файлов».</source>
        <translation>No snapshot taken: the history holds only strikes from files. To include them in the snapshot, tick “include strikes from files”.</translation>
    </message>
</context>
<context>
    <name>tomaro::SpectrumView</name>
    <message>
        <source>Щелчок выбирает частоту: поиск пойдёт к ближайшему пику</source>
        <translation>A click picks a frequency: the search goes to the nearest peak</translation>
    </message>
    <message>
        <source>эталон</source>
        <translation>reference</translation>
    </message>
    <message>
        <source>Спектр, дБ · частота, Гц</source>
        <translation>Spectrum, dB · frequency, Hz</translation>
    </message>
    <message>
        <source> · поиск %1–%2 Гц</source>
        <translation> · search %1–%2 Hz</translation>
    </message>
    <message>
        <source>Нет спектра</source>
        <translation>No spectrum</translation>
    </message>
    <message>
        <source>Тишина</source>
        <translation>Silence</translation>
    </message>
    <message>
        <source>полоса винта</source>
        <translation>rod band</translation>
    </message>
    <message>
        <source> Гц</source>
        <translation> Hz</translation>
    </message>
</context>
<context>
    <name>tomaro::StretchZoom</name>
    <message>
        <source>Перетащите, чтобы сдвинуть область анализа</source>
        <translation>Drag to move the analysed stretch</translation>
    </message>
    <message>
        <source>Область анализа · время от фронта, с</source>
        <translation>Analysed stretch · time from the front, s</translation>
    </message>
    <message>
        <source>Идёт запись удара…</source>
        <translation>Recording the strike…</translation>
    </message>
    <message>
        <source>Нет сигнала</source>
        <translation>No signal</translation>
    </message>
    <message>
        <source>сигнал</source>
        <translation>signal</translation>
    </message>
    <message>
        <source>модель</source>
        <translation>model</translation>
    </message>
</context>
<context>
    <name>tomaro::TuningView</name>
    <message>
        <source> Гц</source>
        <translation> Hz</translation>
    </message>
    <message>
        <source>подтянуть</source>
        <translation>tighten</translation>
    </message>
    <message>
        <source>ослабить</source>
        <translation>loosen</translation>
    </message>
    <message>
        <source>в допуске</source>
        <translation>in tolerance</translation>
    </message>
    <message>
        <source>удар отклонён</source>
        <translation>strike rejected</translation>
    </message>
    <message>
        <source>винт %1: </source>
        <translation>rod %1: </translation>
    </message>
</context>
<context>
    <name>tomaro::TuningWindow</name>
    <message>
        <source> Гц</source>
        <translation> Hz</translation>
    </message>
    <message>
        <source>Настройка</source>
        <translation>Tuning</translation>
    </message>
    <message>
        <source>Настраиваю:</source>
        <translation>Tuning:</translation>
    </message>
    <message>
        <source>Допуск: ±</source>
        <translation>Tolerance: ±</translation>
    </message>
    <message>
        <source>Зелёная зона: отклонение в сотых долях полутона</source>
        <translation>Green zone: deviation in cents</translation>
    </message>
    <message>
        <source>Эталонный тон</source>
        <translation>Reference tone</translation>
    </message>
    <message>
        <source>Прослушать целевую частоту (1 с)</source>
        <translation>Play the target frequency (1 s)</translation>
    </message>
    <message>
        <source>По винтам</source>
        <translation>Lug by lug</translation>
    </message>
    <message>
        <source>Выровнять пластик: удары у каждого винта по очереди</source>
        <translation>Even out the head: tap at each tension rod in turn</translation>
    </message>
    <message>
        <source>Во весь экран (F11)</source>
        <translation>Full screen (F11)</translation>
    </message>
    <message>
        <source>ударный пластик</source>
        <translation>batter head</translation>
    </message>
    <message>
        <source>резонансный пластик</source>
        <translation>resonant head</translation>
    </message>
    <message>
        <source>Винтов:</source>
        <translation>Rods:</translation>
    </message>
    <message>
        <source>звездой</source>
        <translation>star</translation>
    </message>
    <message>
        <source>по часовой</source>
        <translation>clockwise</translation>
    </message>
    <message>
        <source>Звездой: противоположные винты по очереди</source>
        <translation>Star: opposite rods in turn</translation>
    </message>
    <message>
        <source>Заново</source>
        <translation>Start over</translation>
    </message>
    <message>
        <source>Экспорт CSV...</source>
        <translation>Export CSV...</translation>
    </message>
    <message>
        <source>Ударяйте в 2–3 см от подсвеченного винта, приглушив другой пластик.</source>
        <translation>Tap 2–3 cm in from the highlighted rod, with the other head muted.</translation>
    </message>
    <message>
        <source>среднее</source>
        <translation>mean</translation>
    </message>
    <message>
        <source>эталон</source>
        <translation>reference</translation>
    </message>
    <message>
        <source>Цель %1</source>
        <translation>Target %1</translation>
    </message>
    <message>
        <source>Среднее %1</source>
        <translation>Mean %1</translation>
    </message>
    <message>
        <source>Цели нет: эталон — среднее по винтам</source>
        <translation>No target: the reference is the mean of the rods</translation>
    </message>
    <message>
        <source> · разброс %1 ¢</source>
        <translation type="vanished"> · spread %1 ¢</translation>
    </message>
    <message>
        <source> · ровно</source>
        <translation> · even</translation>
    </message>
    <message>
        <source> · винт %1</source>
        <translation> · rod %1</translation>
    </message>
    <message>
        <source>Экспорт замеров по винтам</source>
        <translation>Export the rod measurements</translation>
    </message>
    <message>
        <source>CSV - файлы (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>Не удалось записать файл %1</source>
        <translation>Could not write the file %1</translation>
    </message>
    <message>
        <source>Удар в центр</source>
        <translation>Centre strike</translation>
    </message>
    <message>
        <source>Следующий удар — в центр пластика: по его основному тону находится полоса винтов, если у пластика нет цели</source>
        <translation>The next strike goes to the centre of the head: its fundamental places the rods&apos; band when the head has no target</translation>
    </message>
    <message>
        <source>По высоте тона не видно, что одна сторона пластика туже другой: проверьте это, затянув все винты пальцами и дав каждому одинаковое число оборотов.</source>
        <translation>Pitch cannot show that one side of the head is tighter than the other: check it by bringing every rod finger-tight and giving each the same number of turns.</translation>
    </message>
    <message>
        <source> · расщепление %1 ¢</source>
        <translation> · split %1 ¢</translation>
    </message>
    <message>
        <source> · ось %1°</source>
        <translation> · axis %1°</translation>
    </message>
    <message>
        <source>Цель пластика %1 вне диапазона поиска по винтам (%2–%3 Гц): она не используется</source>
        <translation>The head&apos;s target %1 lies outside the lug search range (%2–%3 Hz): it is not used</translation>
    </message>
    <message>
        <source>Диапазон поиска по винтам (до %1 Гц) выше половины частоты дискретизации: удар не прочитан</source>
        <translation>The lug search range (up to %1 Hz) lies above half the sample rate: the strike was not read</translation>
    </message>
    <message>
        <source>Ударьте в центр пластика</source>
        <translation>Strike the centre of the head</translation>
    </message>
    <message>
        <source>Окно не активно: удары не идут винтам</source>
        <translation>The window is not active: strikes do not go to the rods</translation>
    </message>
    <message>
        <source>винт %1: нет тона в полосе винта</source>
        <translation>rod %1: no tone in the rod&apos;s band</translation>
    </message>
    <message>
        <source>винт %1: другая мода — ударьте ещё раз</source>
        <translation>rod %1: another mode — tap again</translation>
    </message>
    <message>
        <source>винт %1: слишком тихо</source>
        <translation>rod %1: too soft</translation>
    </message>
    <message>
        <source>винт %1: удар отклонён — ударьте ещё раз</source>
        <translation>rod %1: strike rejected — tap again</translation>
    </message>
    <message>
        <source>Удар в центр: полоса винтов %1–%2 Гц</source>
        <translation>Centre strike: the rods&apos; band is %1–%2 Hz</translation>
    </message>
    <message>
        <source>винт %1: не сходится с картиной пластика — ударьте ещё раз</source>
        <translation>rod %1: does not fit the head&apos;s pattern — tap again</translation>
    </message>
    <message>
        <source>ближайший эталон</source>
        <translation>nearest reference</translation>
    </message>
    <message>
        <source>По винтам: %1, %2</source>
        <translation>Lug by lug: %1, %2</translation>
    </message>
    <message>
        <source> — пауза, пока окно «Настройка» не активно</source>
        <translation> — paused while the Tuning window is not active</translation>
    </message>
    <message>
        <source>Два пластика</source>
        <translation>Two heads</translation>
    </message>
    <message>
        <source>Интервалы и план</source>
        <translation>Intervals and plan</translation>
    </message>
    <message>
        <source>Сплошная фиолетовая линия — ось, по которой пластик туже, пунктир — по которой слабее. Винты: красный — подтянуть, синий — ослабить, зелёный — в допуске, серый — не замерен. Щелчок по винту — его совет, и кнопки оборотов для него</source>
        <translation>Solid violet line: the axis along which the head is tighter; dashed: along which it is slacker. Rods: red, tighten; blue, loosen; green, in tolerance; grey, not measured. Click a rod for its advice and to turn it with the turn buttons</translation>
    </message>
    <message>
        <source>%1, снимок «%2»</source>
        <translation>%1, snapshot “%2”</translation>
    </message>
    <message>
        <source>Прошлый проход: разброс %1 ¢, %2 из %3 винтов</source>
        <translation>Previous pass: spread %1 ¢, %2 of %3 rods</translation>
    </message>
    <message>
        <source>Удар в центр не сходится с винтами: полоса остаётся %1–%2 Гц</source>
        <translation>The centre strike disagrees with the rods: the band stays at %1–%2 Hz</translation>
    </message>
    <message>
        <source>нет тона в полосе винта</source>
        <translation>no tone in the rod&apos;s band</translation>
    </message>
    <message>
        <source>другая мода</source>
        <translation>another mode</translation>
    </message>
    <message>
        <source>слишком тихо</source>
        <translation>too soft</translation>
    </message>
    <message>
        <source>удар отклонён</source>
        <translation>strike rejected</translation>
    </message>
    <message>
        <source>слабый тон в полосе винта</source>
        <translation>a weak tone in the rod&apos;s band</translation>
    </message>
    <message>
        <source>не сходится с картиной пластика</source>
        <translation>does not fit the head&apos;s pattern</translation>
    </message>
    <message>
        <source>: винт %1</source>
        <translation>: rod %1</translation>
    </message>
    <message>
        <source> · тон в полосе %1 дБ над шумом</source>
        <translation> · the tone in the band %1 dB over the noise</translation>
    </message>
    <message>
        <source>Полоса удара в центр не подтверждается винтами — ударьте в центр ещё раз</source>
        <translation>The rods do not confirm the centre strike&apos;s band — strike the centre again</translation>
    </message>
    <message>
        <source>Ось расщепления не видна по винтам — ударьте ещё раз по кругу</source>
        <translation>The split&apos;s axis does not show at the rods: tap them all again</translation>
    </message>
    <message>
        <source>Прошлый проход ухудшил пластик: советы уменьшены вдвое</source>
        <translation>The last pass made the head worse: the advice is halved</translation>
    </message>
    <message>
        <source>Микрофон — над краем пластика у винта, не над центром: над центром тон винтов почти не слышен.</source>
        <translation>Put the microphone over the rim near the rod, not over the centre: above the centre the rods&apos; tone is hardly heard.</translation>
    </message>
</context>
<context>
    <name>tomaro::TurnBar</name>
    <message>
        <source>Столько оборота ключа сделано по совету; следующий удар у этого винта покажет, сколько центов даёт оборот</source>
        <translation>This much of a turn of the key was made on the advice; the next tap at this rod shows how many cents a turn gives</translation>
    </message>
    <message>
        <source>Забыть</source>
        <translation>Forget</translation>
    </message>
    <message>
        <source>Забыть, сколько центов даёт оборот у этого пластика</source>
        <translation>Forget how many cents a turn gives on this head</translation>
    </message>
    <message>
        <source>Винт %1: подтянуть на %2 ¢</source>
        <translation>Rod %1: tighten by %2 ¢</translation>
    </message>
    <message>
        <source>Винт %1: ослабить на %2 ¢</source>
        <translation>Rod %1: loosen by %2 ¢</translation>
    </message>
    <message>
        <source>Винт %1: в допуске</source>
        <translation>Rod %1: within tolerance</translation>
    </message>
    <message>
        <source>отмечено %1 оборота у винта %2: ударьте у него ещё раз</source>
        <translation>%1 turn marked at rod %2: tap next to it again</translation>
    </message>
    <message>
        <source>%1 ¢ на оборот (замеров: %2)</source>
        <translation>%1 ¢ per turn (calibrations: %2)</translation>
    </message>
    <message>
        <source>Обороты ключа: после совета отметьте сделанный поворот</source>
        <translation>Turns of the key: after an advice, mark the turn you made</translation>
    </message>
</context>
<context>
    <name>tomaro::TwoHeadsWindow</name>
    <message>
        <source> Гц</source>
        <translation> Hz</translation>
    </message>
    <message>
        <source>Два пластика</source>
        <translation>Two heads</translation>
    </message>
    <message>
        <source>Ударный (Пл1)</source>
        <translation>Batter head</translation>
    </message>
    <message>
        <source>Резонансный (Пл2)</source>
        <translation>Resonant head</translation>
    </message>
    <message>
        <source>Соотношение:</source>
        <translation>Relation:</translation>
    </message>
    <message>
        <source>унисон</source>
        <translation>unison</translation>
    </message>
    <message>
        <source>резонансный выше</source>
        <translation>resonant higher</translation>
    </message>
    <message>
        <source>резонансный ниже</source>
        <translation>resonant lower</translation>
    </message>
    <message>
        <source>Сделать целью Пл2</source>
        <translation>Make it the resonant target</translation>
    </message>
    <message>
        <source>Записать цель резонансного пластика в эталоны барабана</source>
        <translation>Write the resonant head&apos;s target into the drum&apos;s references</translation>
    </message>
    <message>
        <source>Выберите барабан в «Настраиваю:»</source>
        <translation>Choose a drum under “Tuning:”</translation>
    </message>
    <message>
        <source>Нет замера по винтам</source>
        <translation>No lug measurement</translation>
    </message>
    <message>
        <source>Высота (1,1): %1</source>
        <translation>Pitch (1,1): %1</translation>
    </message>
    <message>
        <source>
Винтов: %1 из %2</source>
        <translation>
Rods: %1 of %2</translation>
    </message>
    <message>
        <source>
Расщепление: %1 ¢</source>
        <translation>
Split: %1 ¢</translation>
    </message>
    <message>
        <source>Интервал от Пл1 к Пл2: %1</source>
        <translation>Interval from batter to resonant: %1</translation>
    </message>
    <message>
        <source>Интервал: нужны замеры обоих пластиков</source>
        <translation>Interval: both heads must be measured</translation>
    </message>
    <message>
        <source>Основной тон (последний хороший удар): %1</source>
        <translation>Fundamental (last good strike): %1</translation>
    </message>
    <message>
        <source>Основной тон: хорошего удара ещё нет</source>
        <translation>Fundamental: no good strike yet</translation>
    </message>
    <message>
        <source>Цель Пл2 (%1): %2</source>
        <translation>Resonant target (%1): %2</translation>
    </message>
    <message>
        <source>, сейчас %1</source>
        <translation>, now %1</translation>
    </message>
    <message>
        <source>Цель Пл2: нужен замер ударного пластика</source>
        <translation>Resonant target: the batter head must be measured</translation>
    </message>
    <message>
        <source>%1 с</source>
        <translation>%1 s</translation>
    </message>
    <message>
        <source>без затухания</source>
        <translation>no decay</translation>
    </message>
    <message>
        <source>Последний удар: нет принятого удара</source>
        <translation>Last strike: no accepted strike</translation>
    </message>
    <message>
        <source>Последний удар: %1</source>
        <translation>Last strike: %1</translation>
    </message>
    <message>
        <source>До изменения пластиков: %1</source>
        <translation>Before the heads changed: %1</translation>
    </message>
    <message>
        <source>полутонов</source>
        <translation>semitones</translation>
    </message>
    <message>
        <source>затухание %1, уход высоты %2</source>
        <translation>decay %1, pitch glide %2</translation>
    </message>
</context>
<context>
    <name>tomaro::main</name>
    <message>
        <source>tomaro: нет графического дисплея: окно не может быть открыто (нужны X11 или Wayland, переменная DISPLAY или WAYLAND_DISPLAY).
</source>
        <translation>tomaro: no graphical display: the window cannot be opened (X11 or Wayland is needed, the variable DISPLAY or WAYLAND_DISPLAY).
</translation>
    </message>
    <message>
        <source>Использование: tomaro [ФАЙЛ.wav]
Тюнер для барабанов: открывает окно, ФАЙЛ (WAV удара) - сразу в нём.
  --help     эта справка
  --version  версия программы
Анализ файлов из командной строки: tomaro-analyze --help
</source>
        <translation>Usage: tomaro [FILE.wav]
A tuner for drums: opens the window, and FILE (the WAV of a strike) in it at once.
  --help     this help
  --version  the program&apos;s version
Analysis of files from the command line: tomaro-analyze --help
</translation>
    </message>
</context>
</TS>
