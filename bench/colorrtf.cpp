// Writing the colour RTF of a large page: the part of a whole-document colouring pass that turns
// the text into rich text, without the files and the load.
#include <benchmark/benchmark.h>

#include <QString>

#include "documents/colouring/colorrtf.h"

namespace {

// An ordinary hand-written page: head with style and script, comments, a navigation list,
// a table, a form, images, entities and a few characters outside ASCII.
const char* const kPage = R"PAGE(<!DOCTYPE HTML PUBLIC "-//W3C//DTD HTML 4.01 Transitional//EN">
<html>
<head>
<title>Harbour Street Bakery - Opening hours and orders</title>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<meta name="keywords" content="bakery, bread, cakes, orders">
<link rel="stylesheet" href="styles/main.css" type="text/css">
<style type="text/css">
<!--
body { font-family: Verdana, Arial, sans-serif; margin: 0; background: #FFFFF0; }
td.price { text-align: right; color: #804000; }
.note { font-size: 80%; }
-->
</style>
<script language="JavaScript" type="text/javascript">
<!--
function checkForm(f) {
  if (f.name.value == "") { alert("Please give your name."); return false; }
  for (var i = 0; i < f.qty.length; i++) { if (f.qty[i].value > 50) return false; }
  return true;
}
// -->
</script>
</head>
<body bgcolor="#FFFFF0" text="#000000" link="#0000CC" vlink="#660099">
<!-- Header: logo and navigation -->
<table width="100%" border="0" cellpadding="4" cellspacing="0">
  <tr>
    <td width="160"><a href="index.html"><img src="images/logo.gif" width="150" height="60" alt="Harbour Street Bakery" border="0"></a></td>
    <td align="right" valign="bottom">
      <font face="Verdana" size="2"><b>Open daily</b> &middot; <a href="hours.html">Hours</a> | <a href="menu.html">Menu</a> | <a href="order.html">Order</a> | <a href="contact.html">Contact</a></font>
    </td>
  </tr>
</table>
<hr noshade size="1">
<h1>Fresh bread every morning</h1>
<p>We bake from <strong>5 o'clock</strong> each morning. Our sourdough rests for <em>36 hours</em> before it goes into the oven; the rye is made with flour from the mill at Æbeltoft. Prices in &euro; and in €.</p>
<h2>This week's specials</h2>
<ul>
  <li><a href="menu.html#croissant">Butter croissant</a> &ndash; 1,20 €</li>
  <li><a href="menu.html#pain">Pain au chocolat</a> &ndash; 1,50 €</li>
  <li><a href="menu.html#rye">Dark rye loaf</a> (750 g) &ndash; 3,80 €</li>
  <li><a href="menu.html#cake">Crème brûlée tart</a> &ndash; 4,20 €</li>
</ul>
<table border="1" cellpadding="3" cellspacing="0" summary="Opening hours">
  <caption>Opening hours</caption>
  <thead><tr><th>Day</th><th>Opens</th><th>Closes</th></tr></thead>
  <tbody>
  <tr><td>Monday &ndash; Friday</td><td class="price">06:30</td><td class="price">18:00</td></tr>
  <tr><td>Saturday</td><td class="price">07:00</td><td class="price">16:00</td></tr>
  <tr><td>Sunday</td><td class="price">08:00</td><td class="price">12:00</td></tr>
  </tbody>
</table>
<!-- Order form: posts to the shop's own script -->
<form name="order" method="post" action="/cgi-bin/order.pl" onsubmit="return checkForm(this)">
<fieldset>
<legend>Order for collection</legend>
<label for="name">Name</label> <input type="text" name="name" id="name" size="30" maxlength="60"><br>
<label for="day">Day</label>
<select name="day" id="day">
  <option value="mon">Monday</option><option value="tue">Tuesday</option><option value="wed" selected>Wednesday</option>
  <option value="thu">Thursday</option><option value="fri">Friday</option>
</select><br>
<input type="text" name="qty" size="3" value="1"> croissants<br>
<input type="text" name="qty" size="3" value="0"> rye loaves<br>
<textarea name="notes" rows="4" cols="40">Anything we should know? {allergies, slicing}</textarea><br>
<input type="submit" value="Send order"> <input type="reset" value="Clear">
</fieldset>
</form>
<p class="note">Orders placed before 14:00 are ready the next morning. C:\orders\today.txt is printed at 05:00.</p>
<div align="center"><small>&copy; Harbour Street Bakery &ndash; <a href="mailto:info@example.com">info@example.com</a></small></div>
</body>
</html>
)PAGE";

QString pageOfSize(qsizetype bytes) {
    QString one = QString::fromUtf8(kPage);
    one.replace("\n", "\r\n");  // the editor's line ends
    QString text;
    text.reserve(bytes + one.size());
    while (text.size() < bytes) text += one;
    return text;
}

kavrin::TagColors defaultColors() {
    kavrin::TagColors c;
    c.tag = 10485760;
    c.comment = 8421504;
    c.table = 128;
    c.image = 32768;
    c.anchor = 16744448;
    c.font = 4227200;
    c.form = 8421440;
    c.unrecognized = 255;
    return c;
}

void BM_DocumentToColorRtf(benchmark::State& state) {
    const QString text = pageOfSize(state.range(0) * 1024 * 1024);
    const kavrin::TagColors colors = defaultColors();
    qsizetype out = 0;
    for (auto _ : state) {
        QByteArray rtf = kavrin::documentToColorRtf(text, colors, "Courier New", 10);
        out = rtf.size();
        benchmark::DoNotOptimize(rtf.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size());
    state.counters["rtf_MB"] = double(out) / (1024 * 1024);
}
BENCHMARK(BM_DocumentToColorRtf)->Arg(1)->Arg(10)->Unit(benchmark::kMillisecond);

// The same with a progress report per line, as the document window drives a progress bar.
void BM_DocumentToColorRtfWithProgress(benchmark::State& state) {
    const QString text = pageOfSize(state.range(0) * 1024 * 1024);
    const kavrin::TagColors colors = defaultColors();
    qsizetype last = 0;
    for (auto _ : state) {
        QByteArray rtf = kavrin::documentToColorRtf(text, colors, "Courier New", 10,
                                                    [&](qsizetype done) { last = done; });
        benchmark::DoNotOptimize(rtf.data());
    }
    benchmark::DoNotOptimize(last);
    state.SetBytesProcessed(int64_t(state.iterations()) * text.size());
}
BENCHMARK(BM_DocumentToColorRtfWithProgress)->Arg(10)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
